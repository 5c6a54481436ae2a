#include "PlayFolder.h"

#include "Failure.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace tessary {

PlayFolder::PlayFolder(const std::string& purpose)
{
    const char* tmp = std::getenv("TMPDIR");
    m_folder = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/tessary-" + purpose + "-XXXXXX";
    if (!::mkdtemp(m_folder.data()))
        throw Failure("cannot make a folder in " + m_folder.substr(0, m_folder.rfind('/')) + ": " +
                      std::strerror(errno));
}

PlayFolder::~PlayFolder()
{
    for (const std::string& f : m_files)
        ::unlink(f.c_str());
    ::rmdir(m_folder.c_str());
}

std::string PlayFolder::file(const std::string& name)
{
    return *m_files.insert(m_folder + "/" + name).first;
}

} // namespace tessary
