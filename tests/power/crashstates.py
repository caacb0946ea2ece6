"""Every disk a power cut can leave behind, from the writes of one run: the
disk after each write (every prefix of the write stream) and, since a disk
may keep any write that it was not yet told to flush, each such state with
one of the writes since the last flush missing."""

from dataclasses import dataclass


@dataclass(frozen=True)
class CrashState:
    label: str
    # {sector: its bytes} where the state differs from the disk before the run.
    sectors: dict


def _sector_history(log, writes):
    """{sector: [indexes into `writes` that wrote it, in order]}."""
    history = {}
    for index, entry in enumerate(writes):
        for sector, _ in log.sectors_of(entry):
            history.setdefault(sector, []).append(index)
    return history


def _without(log, writes, history, overlay, upto, missing):
    """The overlay after writes[:upto] with writes[missing] left out."""
    state = dict(overlay)
    for sector, _ in log.sectors_of(writes[missing]):
        earlier = [i for i in history[sector] if i < upto and i != missing]
        if earlier:
            state[sector] = dict(log.sectors_of(writes[earlier[-1]]))[sector]
        else:
            state.pop(sector, None)
    return state


def _key(sectors):
    return frozenset((sector, hash(data)) for sector, data in sectors.items())


def crash_states(log):
    """The distinct crash states of the log's writes, in the order they
    arise; `labels` name entries by their number in the log (from 1)."""
    writes, numbers, volatile_from = [], [], []
    last_flush_write = 0
    for number, entry in enumerate(log.entries, start=1):
        if entry.is_write:
            writes.append(entry)
            numbers.append(number)
            volatile_from.append(last_flush_write)
        if entry.is_flush:
            last_flush_write = len(writes)
    history = _sector_history(log, writes)
    states, seen, overlay = [], set(), {}

    def add(label, sectors):
        key = _key(sectors)
        if key not in seen:
            seen.add(key)
            states.append(CrashState(label, sectors))

    add("before the run", {})
    for index, entry in enumerate(writes):
        overlay = dict(overlay)
        overlay.update(log.sectors_of(entry))
        add(f"after write {numbers[index]}", overlay)
        for missing in range(volatile_from[index], index):
            if not writes[missing].is_durable:
                add(f"after write {numbers[index]} without write {numbers[missing]}",
                    _without(log, writes, history, overlay, index + 1, missing))
    return states


def count_writes(log):
    return sum(1 for entry in log.entries if entry.is_write)


def count_flushes(log):
    return sum(1 for entry in log.entries if entry.is_flush)
