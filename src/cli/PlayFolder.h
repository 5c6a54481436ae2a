#pragma once

#include <set>
#include <string>

namespace tessary {

// A folder of our own for sound a command writes to play, in $TMPDIR or /tmp: a fixed name there
// could be someone else's link. It goes, with the files named through it, however the command
// ends.
class PlayFolder
{
public:
    // "tessary-<purpose>-" and six random characters.
    explicit PlayFolder(const std::string& purpose);
    ~PlayFolder();
    PlayFolder(const PlayFolder&) = delete;
    PlayFolder& operator=(const PlayFolder&) = delete;

    // The path of `name` in the folder, removed with it.
    std::string file(const std::string& name);

private:
    std::string m_folder;
    std::set<std::string> m_files;
};

} // namespace tessary
