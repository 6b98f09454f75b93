#pragma once

#include <QString>
#include <QStringList>
#include <exception>
#include <memory>

namespace tamsel::print {

// A failure of the document layer: an unreadable template, a missing bookmark, a file that
// cannot be written. The message is Chinese and is shown to the user as it stands.
class DocumentError : public std::exception {
public:
    explicit DocumentError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A Word document made from a template (.dotx or .docx): the package is read into memory, its
// bookmarks are indexed once, text is inserted right after named bookmarks, and the result is
// written as a document package (.docx), never as a template.
//
// Inserted text: XML special characters are escaped by the writer; a TAB becomes a tab, a line
// feed (or CR LF) a line break, a lone CR a paragraph break (the new paragraph keeps the
// paragraph's format); other control characters are dropped, since XML cannot hold them. A
// second insert after the same bookmark follows the first.
class DocxDocument {
public:
    // Throws DocumentError when the file is not a readable Word package.
    explicit DocxDocument(const QString& templatePath);
    ~DocxDocument();
    DocxDocument(const DocxDocument&) = delete;
    DocxDocument& operator=(const DocxDocument&) = delete;

    bool hasBookmark(const QString& name) const;
    // The names that the document does not hold, in the order given, without repeats.
    QStringList missingBookmarks(const QStringList& names) const;
    QStringList bookmarkNames() const;

    // Throws DocumentError when the bookmark does not exist.
    void insertAfter(const QString& bookmark, const QString& text);

    // Writes the document package to path (replacing a file there). Throws DocumentError.
    void save(const QString& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Characters that XML 1.0 cannot hold (C0 controls other than TAB, LF, CR, lone surrogates,
// U+FFFE and U+FFFF) removed.
QString xmlSafeText(const QString& text);

} // namespace tamsel::print
