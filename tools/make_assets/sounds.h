// The game's five sounds, 22050 Hz, 16-bit mono.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

std::vector<std::int16_t> BlockExplosion();  // bom02: a block destroyed, under 0.6 s
std::vector<std::int16_t> PlayerHit();       // bom03: the ship hit with lives left, about 1.5 s
std::vector<std::int16_t> FinalExplosion();  // bom04: the last life lost, about 1.5 s
std::vector<std::int16_t> MenuTick();        // click05: the menu choice moved, under 40 ms
std::vector<std::int16_t> MenuConfirm();     // click06: a menu choice confirmed, under 80 ms

}  // namespace assetgen
