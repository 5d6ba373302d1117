// TGame's life: made empty, with every table at its start value.
#include "game/game.h"

#include "sound/brin_sound_wave.h"
#include "surfaces/brin_sprite.h"

TGame::TGame() = default;

TGame::~TGame() { FreeSounds(); }
