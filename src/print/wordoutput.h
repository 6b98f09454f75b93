#pragma once

#include "print/formvalues.h"

#include <QString>
#include <QStringList>

namespace tamsel::print {

// Produces the Word documents of one button: finds the templates, fills them and writes each
// as a new .docx into the output folder. Everything is checked before anything is written: a
// missing template or bookmark leaves no file behind.
class WordOutput {
public:
    // templateFolders are searched in order (the data folder first, so an authority's own
    // templates win over the program's).
    WordOutput(QString dataFolder, QStringList templateFolders, QString outputFolder);

    // The template file "<name>.dotx" (name compared without regard to case) in the first
    // folder that has it; "" when none does.
    QString findTemplate(const QString& name) const;

    // The written files, in the button's order. Throws DocumentError (the missing template's
    // message is "您的电脑上没有相应的报表") or engine::EngineError.
    QStringList produce(WordButton button, const AchievementKey& key,
                        const Prefetched& prefetched = {}) const;

    // A file name made from the form and the achievement: no folder separators or control
    // characters, capped in length.
    static QString fileBaseName(const QString& form, const QString& item4, const QString& title);
    // Moves the written temporary file to folder/base.docx, or base(2).docx, … when taken;
    // never replaces a file. Returns the final path.
    static QString publish(const QString& temporaryFile, const QString& folder, const QString& base);

    static QString defaultOutputFolder(); // Documents/Tamsel

private:
    QString m_dataFolder;
    QStringList m_templateFolders;
    QString m_outputFolder;
};

} // namespace tamsel::print
