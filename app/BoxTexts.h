// The caption that every box of the update run shows.
#pragma once

inline constexpr char kBoxCaption[] = "Tovi Mother Board";
