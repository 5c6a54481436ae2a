#include "SketchFolder.h"

#include "VocabularyHeader.h"
#include "files/AtomicFile.h"
#include "files/UserFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

namespace tessary {

namespace {

#include "DriverSource.inc"

std::string program(const std::string& name, const std::string& prefix)
{
    const VocabularyHeader::Names n(prefix);
    const std::string& p = n.prefix;
    return "// " + name + ": says every entry of " + p +
           ".h once, through the SP0256 driver on the board's own wiring\n"
           "// (SP0256_tables.h: on the Uno and Nano A1-A6 on A0-A5, ALD on D8, LRQ on D9, SBY on\n"
           "// D10, RESET on D11). Written by tessary vocab --format sketch.\n"
           "#include \"SP0256.h\"\n"
           "#include \"" +
           p +
           ".h\"\n\nvoid setup()\n{\n    sp0256_begin(nullptr);\n"
           "    for (uint16_t i = 0; i < " +
           n.count + "; ++i) {\n        " + n.entryType + " e;\n        memcpy_P(&e, &" + n.table +
           "[i], sizeof e);\n"
           "        sp0256_say_codes_P(e.codes, e.length);\n"
           "        sp0256_wait();\n"
           "        // Half a second between entries, asleep between the core's millisecond ticks.\n"
           "        const unsigned long rest = millis();\n"
           "        while (millis() - rest < 500)\n"
           "            sp0256_idle();\n    }\n}\n\nvoid loop()\n{\n"
           "    sp0256_idle(); // nothing more to do: asleep until the next tick\n}\n";
}

// What `make` needs beside the sketch: arduino-mk with Debian's core, as the IDE would build it.
std::string makefile(const std::string& name, const SketchFolder::Target& target)
{
    return "# Builds " + name +
           " with Debian's Arduino core and arduino-mk (packages arduino-core-avr and\n"
           "# arduino-mk): `make`, then `make upload` to the board on MONITOR_PORT. The Arduino "
           "IDE opens\n"
           "# the folder as it is. BOARD_TAG names the board: uno, leonardo, nano (with "
           "BOARD_SUB =\n"
           "# atmega328) or mega (with BOARD_SUB = atmega2560).\n"
           "BOARD_TAG ?= " +
           (target.boardTag.empty() ? "uno" : target.boardTag) + "\n" +
           (target.boardSub.empty() ? "" : "BOARD_SUB ?= " + target.boardSub + "\n") +
           "MONITOR_PORT ?= /dev/ttyACM0\n"
           "ARDUINO_DIR ?= /usr/share/arduino\n"
           "# Debian's avr-gcc 5.4 gives C++ no DECIMAL_DIG, which the core's WString.cpp needs: "
           "the\n"
           "# compiler's own value, added to arduino-mk's flags rather than in place of its -std.\n"
           "CXXFLAGS += -DDECIMAL_DIG=__DECIMAL_DIG__\n"
           "include $(ARDUINO_DIR)/Arduino.mk\n";
}

// A checksum that tells a file the user changed from the one written (FNV-1a, 64 bits).
std::string checksum(std::string_view bytes)
{
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

std::string manifest(const SketchFolder::Files& files)
{
    std::string text = "# Written by tessary vocab --format sketch: what it may write again.\n";
    for (const auto& [name, bytes] : files)
        text += checksum(bytes) + " " + name + "\n";
    return text;
}

// The files of an earlier manifest, with the checksum each had when written.
std::map<std::string, std::string> written(const std::filesystem::path& dir)
{
    std::map<std::string, std::string> sums;
    const UserFile::Contents c = UserFile::read(dir / SketchFolder::kManifest, 64 * 1024);
    std::istringstream lines(c.bytes);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 17 && line[16] == ' ' && line[0] != '#')
            sums[line.substr(17)] = line.substr(0, 16);
    }
    return sums;
}

// What in the folder the files would replace without its having written it, or, in a folder
// it did not make, anything at all but a file it would write as it is.
std::vector<std::string> notOurs(const std::filesystem::path& dir, const SketchFolder::Files& files)
{
    const std::map<std::string, std::string> sums = written(dir);
    const bool ours = std::filesystem::exists(dir / SketchFolder::kManifest);
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        const auto file = std::find_if(files.begin(), files.end(),
                                       [&](const auto& f) { return f.first == name; });
        if (name == SketchFolder::kManifest || (ours && file == files.end()))
            continue; // the user's own files stay as they are
        if (file != files.end()) {
            const UserFile::Contents c = UserFile::read(entry.path(), 4 * 1024 * 1024);
            const auto sum = sums.find(name);
            if (c.status == UserFile::Status::Read &&
                (c.bytes == file->second ||
                 (sum != sums.end() && sum->second == checksum(c.bytes))))
                continue;
        }
        found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string listed(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < 5; ++i)
        text += (i ? ", " : "") + names[i];
    return names.size() > 5 ? text + " and " + std::to_string(names.size() - 5) + " more" : text;
}

// A folder that does not exist yet: made whole beside it, then renamed into place.
std::string create(const std::filesystem::path& dir, const SketchFolder::Files& files)
{
    std::error_code ec;
    std::filesystem::path parent = dir.parent_path();
    if (parent.empty())
        parent = ".";
    std::filesystem::create_directories(parent, ec);
    std::string pattern = (parent / ("." + dir.filename().string() + ".XXXXXX")).string();
    if (ec || !::mkdtemp(pattern.data()))
        return "cannot write " + dir.string() + ": " + (ec ? ec.message() : std::strerror(errno));
    const std::filesystem::path made(pattern);
    std::string problem;
    for (const auto& [name, bytes] : files) {
        if (problem.empty())
            problem = UserFile::write(made / name, bytes);
    }
    if (problem.empty() && ::rename(made.c_str(), dir.c_str()) != 0)
        problem = dir.string() + ": " + std::strerror(errno);
    if (!problem.empty()) {
        std::filesystem::remove_all(made, ec);
        return "cannot write " + problem;
    }
    return {};
}

} // namespace

SketchFolder::Files SketchFolder::files(const std::string& folder, const std::string& prefix,
                                        const std::string& header, const Target& target)
{
    const std::filesystem::path dir(folder);
    const std::string name =
        dir.filename().empty() ? dir.parent_path().filename().string() : dir.filename().string();
    Files all = {{name + ".ino", program(name, prefix)},
                 {Vocabulary::words(prefix) + ".h", header}};
    for (const auto& [file, contents] : kDriverFiles)
        all.emplace_back(file, contents);
    all.emplace_back("Makefile", makefile(name + ".ino", target));
    return all;
}

SketchFolder::Outcome SketchFolder::write(const std::string& folder, const std::string& prefix,
                                          const std::string& header, const Vocabulary& vocabulary,
                                          bool force, const Target& target)
{
    if (vocabulary.entries().empty())
        return {"an empty vocabulary makes no sketch", {}};
    std::filesystem::path dir(folder);
    if (dir.filename().empty())
        dir = dir.parent_path();
    Files all = files(folder, prefix, header, target);
    all.emplace_back(kManifest, manifest(all));
    struct stat st
    {
    };
    if (::stat(dir.c_str(), &st) != 0)
        return {errno == ENOENT ? create(dir, all)
                                : "cannot write " + dir.string() + ": " + std::strerror(errno),
                {}};
    if (!S_ISDIR(st.st_mode))
        return {"cannot write " + dir.string() + ": is " + UserFile::kindOf(st.st_mode) +
                    ", not a folder",
                {}};
    all.pop_back();
    if (std::vector<std::string> theirs = notOurs(dir, all); !theirs.empty() && !force)
        return {dir.string() + " holds what tessary did not write there (" + listed(theirs) +
                    "): nothing written",
                std::move(theirs)};
    all.emplace_back(kManifest, manifest(all));
    // Every file whole on the disk first; then the renames, which need no room.
    std::vector<AtomicFile> out(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::string problem = out[i].open(dir / all[i].first);
        if (problem.empty() && !out[i].write(all[i].second))
            problem = out[i].problem();
        if (problem.empty())
            problem = out[i].prepare();
        if (!problem.empty())
            return {"cannot write " + problem + " (the folder is as it was)", {}};
    }
    for (AtomicFile& file : out) {
        if (const std::string problem = file.commit(); !problem.empty())
            return {"cannot write " + problem, {}};
    }
    return {};
}

} // namespace tessary
