#include "SketchFolder.h"

#include "VocabularyHeader.h"
#include "files/UserFile.h"

#include <filesystem>

namespace tessary {

namespace {

#include "DriverSource.inc"

std::string program(const std::string& name, const std::string& prefix)
{
    const VocabularyHeader::Names n(prefix);
    const std::string& p = n.prefix;
    return "// " + name + ": says every entry of " + p +
           ".h once, through the SP0256 driver on the bridge's wiring\n"
           "// (A1-A6 on A0-A5, ALD on D8, LRQ on D9, SBY on D10, RESET on D11).\n"
           "// Written by tessary vocab --format sketch.\n"
           "#include \"SP0256.h\"\n"
           "#include \"" +
           p +
           ".h\"\n\nvoid setup()\n{\n    sp0256_begin(nullptr);\n"
           "    for (uint16_t i = 0; i < " +
           n.count + "; ++i) {\n        " + n.entryType + " e;\n        memcpy_P(&e, &" + n.table +
           "[i], sizeof e);\n"
           "        sp0256_say_codes_P(e.codes, e.length);\n"
           "        sp0256_wait();\n"
           "        delay(500);\n    }\n}\n\nvoid loop()\n{\n}\n";
}

} // namespace

std::string SketchFolder::write(const std::string& folder, const std::string& prefix,
                                const std::string& header, const Vocabulary& vocabulary)
{
    const std::filesystem::path dir(folder);
    const std::string name =
        dir.filename().empty() ? dir.parent_path().filename().string() : dir.filename().string();
    if (vocabulary.entries().empty())
        return "an empty vocabulary makes no sketch";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec)
        return "cannot write " + folder + ": " + ec.message();
    const std::pair<std::filesystem::path, std::string> files[] = {
        {dir / (name + ".ino"), program(name, prefix)},
        {dir / (Vocabulary::words(prefix) + ".h"), header},
        {dir / "SP0256.h", kDriverHeader},
        {dir / "SP0256.c", kDriverSource}};
    for (const auto& [file, text] : files) {
        if (const std::string problem = UserFile::write(file, text); !problem.empty())
            return "cannot write " + problem;
    }
    return {};
}

} // namespace tessary
