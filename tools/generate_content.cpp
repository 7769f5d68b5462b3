// Makes every file the game ships beside its programs: all of it is drawn,
// modelled and composed here, from code, so the build needs no asset files.
// The output is the same on every run: no clock, no random generator state.
//
// Usage: generate_content <output folder>
//
// Sizes of the models, and why (model units; the game scales them as noted):
//
// - The camera rides 80 units behind the ship and 25 above it with a 45
//   degree field of view, so at the ship's distance (84 units) the picture
//   is about 69 units high and, at aspect 1, as many wide. The lanes lie 30
//   apart and the camera never moves sideways, so a ship in an outer lane
//   stands at the edge of the picture whatever its size; a small ship keeps
//   most of itself in view there.
// - Ship "bigship.x": half-span 5, nose at z -8 (it flies towards -z), tail
//   at z 6.5, height -0.95 to 2.5 (the fin). Drawn x(1.15, 0.75, 1.15) it is
//   11.5 wide and 16.7 long, about a sixth of the picture's width. Its box
//   reaches 5.75 to each side, far short of the next lane, and at y 35 spans
//   y 34.3 to 36.9, inside the height of every rock and pickup at about y 35.
// - Rock "rock.x": a box of half-width 1.6, half-height 1.55, half-depth 1.5
//   (near round: the picture is stretched sideways to the screen's shape).
//   Drawn x7.2 that is 23 wide, so a rock fills most of a lane, yet a rock in
//   the next lane (30 away, up to 2 off its lane) stays 10 units clear of the
//   ship's box: 30 - 2 - 11.5 - 5.75. A rock 21.6 deep cannot slip between
//   two of a rocket's 7-unit steps.
// - Rocket "Rocket.x": nose at +z (it is drawn turned half round, so it flies
//   nose first), centred in z from -6 to 6 so its box, which does not turn,
//   covers the drawn rocket; fins reach 2 from the axis. Drawn unscaled at
//   y 30 its box spans about y 28.5 to 31.5, inside a rock's height (y 35
//   -+ 11, even with the levels' -+4 of jitter), so a rocket flying down a
//   rock's lane always reaches it, and at 3 wide it never touches a rock in
//   the next lane.
// - Bomb pickup "BombS.x": a ball of radius 2 with a fuse up to y 2.75,
//   round about y because it spins about y while its box does not. Drawn
//   x1.5 it is 6 wide, large enough to see, and the ship's box in its lane
//   meets it while the ship's box in the next lane does not (30 - 3 - 5.75).
// - Sky dome "SkyDome.x": a whole sphere of radius 400, seen from inside.
//   It is drawn around the camera 14 or 15 units low and 1 unit ahead, so
//   its farthest point is 416 units away, well inside the far plane of 1000;
//   the horizon ring lies 2 degrees below eye level, in the top sixth of the
//   picture as the camera looks 17 degrees down, and the sea of cloud below
//   it fills the rest. It is drawn unlit, so its texture's colours are what
//   the screen shows: a mid-bright day sky whose luminance stays between
//   about 0.12 and 0.28, where black menu text and white messages both keep
//   a contrast of 3:1 or more.
// - Triangles (frames are drawn by a software rasteriser in the test runs):
//   rock 320 (50 are drawn), ship under 700, dome 1840, bomb under 320,
//   rocket under 200.
// - Textures are square powers of two (the sky 1024 x 512), BMP where no
//   alpha is needed and PNG where it is (the sky, for its size, is PNG too).

#include <cstdio>
#include <string>

#include "content/bomb.h"
#include "content/flame_texture.h"
#include "content/icon.h"
#include "content/particle_textures.h"
#include "content/rock.h"
#include "content/rocket.h"
#include "content/ship.h"
#include "content/sky_dome.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    ok = writeGameIcon(folder + "/Icon.ico") && ok;
    ok = writeRock(folder) && ok;
    ok = writeShip(folder) && ok;
    ok = writeSkyDome(folder) && ok;
    ok = writeBomb(folder) && ok;
    ok = writeRocket(folder) && ok;
    ok = writeFlameTexture(folder) && ok;
    ok = writeParticleTextures(folder) && ok;
    if (!ok) {
        std::fprintf(stderr, "generate_content: could not write every file into %s\n",
                     folder.c_str());
        return 1;
    }
    return 0;
}
