// Times the world validator on a generated world whose map file is large (100 MB unless a size in megabytes is
// given): the parse of the map file alone, in this process, and the whole quorvath-check run on the world, so
// the two can be compared. Only the figures are printed, nothing is judged.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/xml_access.h"
#include "platform/graphics.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor time (user and system) of this process, or of its finished children.
double processorSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string repeated(int count, const std::string& line) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line + "\n";
    return out;
}

std::string square(int left, int top, int size, const std::string& inner) {
    const std::string l = std::to_string(left), t = std::to_string(top);
    const std::string r = std::to_string(left + size), b = std::to_string(top + size);
    return "<area level=\"1\" pointnum=\"4\">\n<point x=\"" + l + "\" y=\"" + t + "\"/>\n<point x=\"" + l + "\" y=\"" +
           b + "\"/>\n<point x=\"" + r + "\" y=\"" + b + "\"/>\n<point x=\"" + r + "\" y=\"" + t + "\"/>\n" + inner +
           "</area>\n";
}

// A world that passes the validator but for its size: screens of three areas, one with a talking NPC and one
// with a door, repeated until the map file holds the wanted number of bytes.
std::size_t writeWorld(const fs::path& folder, std::size_t mapBytes) {
    writeFile(folder / "media/EnemyData.xml",
              "<enemydatas>\n" + repeated(8, "<enemy life=\"3\" size=\"20\" speed=\"2\"/>") + "</enemydatas>\n");
    writeFile(folder / "media/ItemData.xml",
              "<itemdatas>\n" +
                  repeated(15,
                           "<item name=\"やくそう\" use=\"10\" type=\"1\" power=\"30\" time=\"0\" pict=\"0\" "
                           "howto=\"ライフがもどる\"/>") +
                  "</itemdatas>\n");
    writeFile(folder / "media/WeaponData.xml",
              "<weapondatas>\n" +
                  repeated(12,
                           "<enemy name=\"つるぎ\" howto=\"けん\" power=\"2\" fly=\"0\" speed=\"20\" kayaku=\"0\" "
                           "wait=\"100\" pict=\"0\"/>") +
                  "</weapondatas>\n");
    writeFile(folder / "media/BossData.xml", "<bossdatas>\n</bossdatas>\n");
    writeFile(folder / "media/NPCPictList.xml",
              "<npcpictdatas>\n<npc pict=\"pict\\npc.png\" x=\"40\" y=\"40\" direction=\"0\"/>\n</npcpictdatas>\n");
    std::string map = "<map>\n";
    for (int screen = 0; map.size() < mapBytes || screen < 7; ++screen) {
        map += "<screen name=\"まち\" areanum=\"3\" pict=\"pict\\map.png\">\n";
        map += square(0, 0, 1000, "");
        map += square(600, 500, 200, "");
        map += square(900, 0, 40,
                      "<npc imageid=\"0\">\n<speech>こんにちは</speech>\n<speech>いい てんきだね</speech>\n</npc>\n"
                      "<door next=\"0\" resetx=\"100\" resety=\"100\"/>\n");
        map += "</screen>\n";
    }
    map += "</map>\n";
    writeFile(folder / "media/BigMapData.xml", map);
    fs::create_directories(folder / "pict");
    saveCanvasPng(createCanvas(1000, 1000), (folder / "pict/map.png").string());
    saveCanvasPng(createCanvas(160, 40), (folder / "pict/npc.png").string());
    return map.size();
}

}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 100.0;
    const fs::path checker = fs::canonical("/proc/self/exe").parent_path() / "quorvath-check";
    const fs::path folder = fs::temp_directory_path() / ("quorvath-bench-check-" + std::to_string(::getpid()));
    const std::size_t bytes = writeWorld(folder, static_cast<std::size_t>(megabytes * 1024 * 1024));
    const fs::path previous = fs::current_path();
    fs::current_path(folder);

    Clock::time_point start = Clock::now();
    const double parseStart = processorSeconds(RUSAGE_SELF);
    {
        XmlDocument document;
        if (!openXmlDocumentQuietly(document, "media\\BigMapData.xml")) std::printf("the map file did not parse\n");
    }
    const double parse = secondsSince(start), parseProcessor = processorSeconds(RUSAGE_SELF) - parseStart;

    start = Clock::now();
    const std::string command = "'" + checker.string() + "' . >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    const double check = secondsSince(start), checkProcessor = processorSeconds(RUSAGE_CHILDREN);

    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    std::printf(
        "check_large_map: map file %.1f MB; parse %.2f s (processor %.2f s); quorvath-check %.2f s "
        "(processor %.2f s, exit %d)\n",
        static_cast<double>(bytes) / (1024 * 1024), parse, parseProcessor, check, checkProcessor, WEXITSTATUS(status));
    return 0;
}
