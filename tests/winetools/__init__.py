"""The Wine tooling that the end-to-end suite, the demo and the start-up
benchmark share: X servers and Wine prefixes made from a template
(wineenv), a Windows machine for one run of the updater with its box pilot
(machine, and the pilot's sources in pilot/), and the checks of the banner's
pictures (pictures)."""
