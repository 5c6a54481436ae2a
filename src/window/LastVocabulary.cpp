#include "LastVocabulary.h"

#include "files/UserFile.h"
#include "files/UserFolders.h"

#include <string>

namespace tessary {

std::filesystem::path LastVocabulary::record()
{
    const std::filesystem::path folder = UserFolders::config();
    return folder.empty() ? folder : folder / "vocabulary";
}

std::filesystem::path LastVocabulary::file()
{
    const std::filesystem::path at = record();
    if (at.empty())
        return {};
    const UserFile::Contents c = UserFile::read(at, 4096);
    return c.status == UserFile::Status::Read ? c.bytes.substr(0, c.bytes.find('\n')) : "";
}

void LastVocabulary::remember(const std::filesystem::path& file)
{
    const std::filesystem::path at = record();
    if (at.empty())
        return;
    std::error_code ec;
    std::filesystem::create_directories(at.parent_path(), ec);
    UserFile::write(at, std::filesystem::absolute(file, ec).string() + "\n");
}

} // namespace tessary
