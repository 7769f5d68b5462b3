#pragma once
// The rock: a lumpy stone, "rock.x" with its texture "rock.bmp".

#include <string>

bool writeRock(const std::string& folder);
