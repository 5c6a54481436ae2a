#include "VocabularyExport.h"

#include "files/UserFile.h"
#include "vocabulary/SketchFolder.h"
#include "vocabulary/VocabularyHeader.h"
#include "vocabulary/VocabularySpeller.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tessary {

namespace {

QString toQt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

VocabularyExport::VocabularyExport(QWidget* window, Hooks hooks)
    : m_window(window), m_hooks(std::move(hooks))
{}

bool VocabularyExport::write(const std::string& text, const std::filesystem::path& path,
                             const std::string& form, const std::filesystem::path& target)
{
    VocabularyHeader::Form f = VocabularyHeader::Form::Arduino;
    if (form != "sketch" && !VocabularyHeader::parseForm(form, f))
        return false;
    const std::string prefix = path.empty() ? "vocabulary" : path.stem().string();
    const std::string origin = path.empty() ? "vocabulary" : path.filename().string();
    const VocabularySpeller::Header h =
        VocabularySpeller(m_hooks.speller, VocabularySpeller::UserWords::With)
            .header(text, f, prefix, origin);
    if (!h.problems.empty()) {
        m_hooks.problems(h.problems, "Nothing exported");
        return false;
    }
    std::string problem;
    if (form == "sketch") {
        SketchFolder::Outcome written =
            SketchFolder::write(target.string(), prefix, h.text, h.vocabulary);
        if (!written.theirs.empty() &&
            QMessageBox::question(
                m_window, "Export Sketch",
                toQt(target.string()) + " holds files that Export did not write there, or that "
                                        "were changed since. Write the sketch's files all the "
                                        "same? Any other file stays as it is.",
                QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Yes)
            written = SketchFolder::write(target.string(), prefix, h.text, h.vocabulary, true);
        problem = written.problem;
    } else {
        problem = UserFile::write(target, h.text);
    }
    m_hooks.say(problem.empty() ? "Exported to " + toQt(target.string()) + "."
                                : "Not exported: " + toQt(problem));
    return problem.empty();
}

void VocabularyExport::ask(const std::string& text, const std::filesystem::path& path,
                           const std::string& form)
{
    const std::string stem = path.empty() ? "vocabulary" : path.stem().string();
    const std::filesystem::path beside =
        path.empty() ? std::filesystem::path() : path.parent_path();
    const QString suggested = toQt(
        (beside / (form == "sketch" ? stem + "_sketch" : stem + (form == "json" ? ".json" : ".h")))
            .string());
    const QString filter = form == "json"     ? "JSON (*.json)"
                           : form == "sketch" ? QString()
                                              : "C headers (*.h)";
    const QString target =
        form == "sketch"
            ? QFileDialog::getSaveFileName(m_window, "Export a Sketch Folder", suggested)
            : QFileDialog::getSaveFileName(m_window, "Export the Header", suggested, filter);
    if (!target.isEmpty())
        write(text, path, form, target.toStdString());
}

} // namespace tessary
