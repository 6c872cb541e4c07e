// vexmoor_mediagen --out DIR [--sheets DIR]
// Draws every picture of the saver from source and writes it as a 24-bit BMP.
#include "compose.hpp"
#include "parts.hpp"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>

using namespace mediagen;

int main(int argc, char** argv) {
    std::string out, sheets;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
            out = argv[++i];
        else if (!std::strcmp(argv[i], "--sheets") && i + 1 < argc)
            sheets = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s --out DIR [--sheets DIR]\n", argv[0]);
            return 2;
        }
    }
    if (out.empty()) {
        std::fprintf(stderr, "usage: %s --out DIR [--sheets DIR]\n", argv[0]);
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (!sheets.empty()) std::filesystem::create_directories(sheets, ec);

    // The scene layers are shared by several makers; build them before the
    // makers run side by side.
    scene_layers();

    const auto& table = picture_table();
    std::vector<std::future<Image>> jobs;
    for (const Entry& e : table)
        jobs.push_back(std::async(std::launch::async, [&e] { return e.make(e.lay); }));

    Library lib;
    int failures = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Layout& lay = table[i].lay;
        Image img = jobs[i].get();
        std::string problem = check_layout(lay, img);
        if (!problem.empty()) {
            std::fprintf(stderr, "mediagen: %s\n", problem.c_str());
            ++failures;
            continue;
        }
        if (!write_bmp(out + "/" + lay.file, img)) {
            std::fprintf(stderr, "mediagen: cannot write %s/%s\n", out.c_str(), lay.file.c_str());
            ++failures;
        }
        lib.emplace(lay.file, std::make_pair(lay, std::move(img)));
    }
    if (failures) return 1;
    if (!sheets.empty()) write_sheets(sheets, lib);
    return 0;
}
