// The document layer: a Word package read from a template, text inserted after bookmarks,
// and the result written as a document package.
#include "print/docxdocument.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <pugixml.hpp>
#include <zip.h>

namespace tamsel::print {
namespace {

const char* const kDocumentPart = "word/document.xml";
const char* const kTypesPart = "[Content_Types].xml";

struct Entry {
    QByteArray name;
    QByteArray data;
};

QString zipMessage(zip_error_t* error) {
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

// Every member of the package, in archive order.
QList<Entry> readPackage(const QString& path) {
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString message = zipMessage(&error);
        zip_error_fini(&error);
        throw DocumentError(QStringLiteral("无法打开模板“%1”：%2").arg(path, message));
    }
    QList<Entry> entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        zip_file_t* file = nullptr;
        if (zip_stat_index(archive, i, 0, &stat) == 0 && (file = zip_fopen_index(archive, i, 0)) != nullptr) {
            Entry entry;
            entry.name = QByteArray(stat.name);
            entry.data.resize(static_cast<qsizetype>(stat.size));
            const zip_int64_t got = zip_fread(file, entry.data.data(), stat.size);
            zip_fclose(file);
            if (got == static_cast<zip_int64_t>(stat.size)) {
                entries.append(std::move(entry));
                continue;
            }
        }
        const QString message = QString::fromLocal8Bit(zip_strerror(archive));
        zip_discard(archive);
        throw DocumentError(QStringLiteral("无法读取模板“%1”：%2").arg(path, message));
    }
    zip_discard(archive);
    return entries;
}

// Where the next text of a bookmark goes: after this node, inside a paragraph.
pugi::xml_node firstParagraphAncestor(pugi::xml_node node) {
    return std::string_view(node.parent().name()) == "w:p" ? node.parent() : pugi::xml_node();
}

struct StringWriter : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

} // namespace

QString xmlSafeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                out.append(text.at(i));
                out.append(text.at(++i));
            }
            continue;
        }
        if (QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            continue;
        }
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') {
            continue;
        }
        out.append(QChar(c));
    }
    return out;
}

struct DocxDocument::Impl {
    QString templatePath;
    QList<Entry> entries;
    qsizetype documentIndex = -1;
    pugi::xml_document document;
    // Per bookmark the node after which its next text goes.
    QHash<QString, pugi::xml_node> anchors;
    QStringList names;

    void index();
    pugi::xml_node insertRun(pugi::xml_node paragraph, pugi::xml_node after, pugi::xml_node runProperties);
};

void DocxDocument::Impl::index() {
    QHash<QString, pugi::xml_node> starts; // by id
    QHash<QString, pugi::xml_node> ends;   // by id
    QList<std::pair<QString, pugi::xml_node>> named;
    struct Walker : pugi::xml_tree_walker {
        QHash<QString, pugi::xml_node>* starts;
        QHash<QString, pugi::xml_node>* ends;
        QList<std::pair<QString, pugi::xml_node>>* named;
        bool for_each(pugi::xml_node& node) override {
            const std::string_view name = node.name();
            if (name == "w:bookmarkStart") {
                named->append({QString::fromUtf8(node.attribute("w:name").value()), node});
                starts->insert(QString::fromUtf8(node.attribute("w:id").value()), node);
            } else if (name == "w:bookmarkEnd") {
                ends->insert(QString::fromUtf8(node.attribute("w:id").value()), node);
            }
            return true;
        }
    } walker;
    walker.starts = &starts;
    walker.ends = &ends;
    walker.named = &named;
    document.traverse(walker);

    for (const auto& [name, start] : named) {
        if (name.isEmpty() || anchors.contains(name)) {
            continue; // Word keeps names unique; a repeat is ignored as Word would find the first
        }
        pugi::xml_node anchor = start;
        const pugi::xml_node end = ends.value(QString::fromUtf8(start.attribute("w:id").value()));
        if (end && end.parent() == start.parent()) {
            anchor = end; // text goes after the bookmark's range
        }
        anchors.insert(name, anchor);
        names.append(name);
    }
}

pugi::xml_node DocxDocument::Impl::insertRun(pugi::xml_node paragraph, pugi::xml_node after,
                                             pugi::xml_node runProperties) {
    pugi::xml_node run = after ? paragraph.insert_child_after("w:r", after) : paragraph.prepend_child("w:r");
    if (runProperties) {
        run.append_copy(runProperties);
    }
    return run;
}

DocxDocument::DocxDocument(const QString& templatePath) : d(std::make_unique<Impl>()) {
    d->templatePath = templatePath;
    d->entries = readPackage(templatePath);
    for (qsizetype i = 0; i < d->entries.size(); ++i) {
        if (d->entries.at(i).name == kDocumentPart) {
            d->documentIndex = i;
        }
    }
    if (d->documentIndex < 0) {
        throw DocumentError(QStringLiteral("模板“%1”不是Word文档：缺少正文部分").arg(templatePath));
    }
    const QByteArray& xml = d->entries.at(d->documentIndex).data;
    const pugi::xml_parse_result result = d->document.load_buffer(
        xml.constData(), static_cast<size_t>(xml.size()),
        pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single, pugi::encoding_utf8);
    if (!result) {
        throw DocumentError(QStringLiteral("模板“%1”的正文无法解读：%2（位置 %3）")
                                .arg(templatePath, QString::fromUtf8(result.description()))
                                .arg(result.offset));
    }
    d->index();
}

DocxDocument::~DocxDocument() = default;

bool DocxDocument::hasBookmark(const QString& name) const {
    return d->anchors.contains(name);
}

QStringList DocxDocument::missingBookmarks(const QStringList& names) const {
    QStringList missing;
    for (const QString& name : names) {
        if (!d->anchors.contains(name) && !missing.contains(name)) {
            missing.append(name);
        }
    }
    return missing;
}

QStringList DocxDocument::bookmarkNames() const {
    return d->names;
}

void DocxDocument::insertAfter(const QString& bookmark, const QString& text) {
    auto found = d->anchors.find(bookmark);
    if (found == d->anchors.end()) {
        throw DocumentError(QStringLiteral("模板中没有书签：%1").arg(bookmark));
    }
    pugi::xml_node anchor = found.value();
    pugi::xml_node paragraph = firstParagraphAncestor(anchor);
    if (!paragraph) {
        // A bookmark between paragraphs (or in a cell without one): its text gets a paragraph.
        paragraph = anchor.parent().insert_child_after("w:p", anchor);
        anchor = pugi::xml_node();
    }
    // The text takes the format of the run before it, or else of the paragraph mark.
    pugi::xml_node runProperties;
    for (pugi::xml_node n = anchor; n; n = n.previous_sibling()) {
        if (std::string_view(n.name()) == "w:r") {
            runProperties = n.child("w:rPr");
            break;
        }
    }
    if (!runProperties) {
        runProperties = paragraph.child("w:pPr").child("w:rPr");
    }

    const QString safe = xmlSafeText(text);
    pugi::xml_node run;
    QString pending;
    const auto ensureRun = [&] {
        if (!run) {
            run = d->insertRun(paragraph, anchor, runProperties);
            anchor = run;
        }
    };
    const auto flush = [&] {
        if (pending.isEmpty()) {
            return;
        }
        ensureRun();
        pugi::xml_node t = run.append_child("w:t");
        t.append_attribute("xml:space") = "preserve";
        t.text().set(pending.toUtf8().constData());
        pending.clear();
    };
    for (qsizetype i = 0; i < safe.size(); ++i) {
        const QChar c = safe.at(i);
        if (c == u'\t' || c == u'\n' || (c == u'\r' && i + 1 < safe.size() && safe.at(i + 1) == u'\n')) {
            flush();
            ensureRun();
            run.append_child(c == u'\t' ? "w:tab" : "w:br");
            if (c == u'\r') {
                ++i;
            }
        } else if (c == u'\r') {
            // A paragraph break: what follows the insertion point moves into a new paragraph
            // of the same format.
            flush();
            pugi::xml_node next = paragraph.parent().insert_child_after("w:p", paragraph);
            pugi::xml_node properties;
            if (pugi::xml_node pPr = paragraph.child("w:pPr")) {
                properties = next.append_copy(pPr);
                properties.remove_child("w:sectPr");
            }
            pugi::xml_node from = anchor ? anchor.next_sibling() : paragraph.first_child();
            if (!anchor && from && std::string_view(from.name()) == "w:pPr") {
                from = from.next_sibling();
            }
            while (from) {
                pugi::xml_node following = from.next_sibling();
                next.append_move(from);
                from = following;
            }
            paragraph = next;
            anchor = properties;
            run = pugi::xml_node();
        } else {
            pending.append(c);
        }
    }
    flush();
    if (!anchor) {
        anchor = d->insertRun(paragraph, anchor, runProperties); // keeps later text in order
    }
    found.value() = anchor;
}

void DocxDocument::save(const QString& path) const {
    StringWriter writer;
    d->document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    QList<Entry> entries = d->entries;
    entries[d->documentIndex].data = writer.out;
    for (Entry& entry : entries) {
        if (entry.name == kTypesPart) {
            entry.data.replace("wordprocessingml.template.main+xml", "wordprocessingml.document.main+xml");
        }
    }

    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    const auto fail = [&](const QString& detail) {
        throw DocumentError(QStringLiteral("无法写入文档“%1”：%2").arg(path, detail));
    };
    if (archive == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString message = zipMessage(&error);
        zip_error_fini(&error);
        fail(message);
    }
    for (const Entry& entry : entries) {
        if (entry.name.endsWith('/')) {
            continue; // folder entries are not parts of a package
        }
        zip_int64_t added = -1;
        if (zip_source_t* source = zip_source_buffer(archive, entry.data.constData(),
                                                     static_cast<zip_uint64_t>(entry.data.size()), 0)) {
            added =
                zip_file_add(archive, entry.name.constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
            if (added < 0) {
                zip_source_free(source);
            }
        }
        if (added < 0) {
            const QString message = QString::fromLocal8Bit(zip_strerror(archive));
            zip_discard(archive);
            fail(message);
        }
    }
    if (zip_close(archive) != 0) {
        const QString message = QString::fromLocal8Bit(zip_strerror(archive));
        zip_discard(archive);
        fail(message);
    }
}

} // namespace tamsel::print
