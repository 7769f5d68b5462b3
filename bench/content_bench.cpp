// Content: how long each mesh and each texture of the game takes to load on
// the real OpenGL device, repeated to smooth out the noise.
//
//   bench_content [GAME_FOLDER] [--repeats N]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "scene/platform/x_mesh_file.h"
#include "vorlune.h"

namespace {

const char* const kMeshes[] = {"rock.x", "bigship.x", "SkyDome.x", "BombS.x", "Rocket.x"};
const char* const kTextures[] = {"rock.bmp",     "hull.bmp",     "canopy.bmp", "flame.bmp",
                                 "sky.png",      "bomb.bmp",     "rocket.bmp", "spark.bmp",
                                 "particle.bmp", "explosion.png"};

std::string kilobytes(const char* file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    return error ? "missing" : bench::fixed(static_cast<double>(size) / 1024.0, 1);
}

}  // namespace

int main(int argc, char** argv) {
    int repeats = 20;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--repeats") == 0) repeats = std::atoi(argv[++i]);
    }
    bench::GameFolder folder(bench::distDirFrom(argc, argv));
    platform::WindowHandle window = createGameWindow(world.screenWidth, world.screenHeight);
    auto device = platform::GraphicsDevice::create(window, world.screenWidth, world.screenHeight);
    if (device == nullptr) {
        std::fprintf(stderr, "no graphics device\n");
        return 1;
    }
    world.device = device.get();

    bench::Table table("Content: load times over " + std::to_string(repeats) +
                           " loads each (ms; a mesh's full load includes its textures)",
                       {"file", "KiB", "what", "median", "min", "max"});
    for (const char* name : kMeshes) {
        std::vector<double> parse, full;
        for (int i = 0; i < repeats; ++i) {
            double start = bench::wallMs();
            const auto file = platform::readXMeshFile(name);
            parse.push_back(bench::wallMs() - start);
            if (!file) break;
            MeshResource mesh(world.device);
            start = bench::wallMs();
            mesh.load(name);
            full.push_back(bench::wallMs() - start);
            mesh.release();
        }
        const bench::Stats p = bench::statsOf(parse), f = bench::statsOf(full);
        table.add({name, kilobytes(name), "read .x", bench::fixed(p.median), bench::fixed(p.min),
                   bench::fixed(p.max)});
        table.add({name, "", "full load", bench::fixed(f.median), bench::fixed(f.min),
                   bench::fixed(f.max)});
    }
    for (const char* name : kTextures) {
        std::vector<double> load;
        for (int i = 0; i < repeats; ++i) {
            const double start = bench::wallMs();
            platform::Texture* texture = platform::loadTextureFile(*world.device, name);
            load.push_back(bench::wallMs() - start);
            if (texture == nullptr) break;
            world.device->releaseTexture(texture);
        }
        const bench::Stats s = bench::statsOf(load);
        table.add({name, kilobytes(name), "texture", bench::fixed(s.median), bench::fixed(s.min),
                   bench::fixed(s.max)});
    }
    table.print();

    delete world.materialBuffer;
    world.materialBuffer = nullptr;
    world.device = nullptr;
    device.reset();
    platform::destroyWindow(window);
    return 0;
}
