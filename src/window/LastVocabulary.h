#pragma once

#include <filesystem>

namespace tessary {

// The vocabulary file opened or saved last, which the Vocabulary window opens next time: kept
// in the user's config folder (tessary/vocabulary). Not being able to keep it costs only that.
class LastVocabulary
{
public:
    // Empty where none is remembered.
    static std::filesystem::path file();
    static void remember(const std::filesystem::path& file);

private:
    // The record's own path; empty where there is no config folder.
    static std::filesystem::path record();
};

} // namespace tessary
