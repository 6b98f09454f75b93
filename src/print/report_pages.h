#pragma once

#include "print/report_page.h"

#include <QList>
#include <QString>
#include <memory>

namespace tamsel::print {

// The pages of the printed registration form, for applied technology (Tyy…) and for soft
// science and basic theory (Trj…).

// Pages whose text is fixed: instructions and annexes, read from the program's resources.
class StaticPage : public ReportPage {
public:
    StaticPage(QString name, QString resource);
    QString text() const;

protected:
    void compose(Composer& composer) const override;

private:
    QString m_resource;
};

// Cover: category line, title, name, unit, the research period and the registration date in
// boxes.
class CoverPage : public ReportPage {
public:
    CoverPage(QString name, QString category);
    void prepare(PrintData& data) override;

protected:
    void compose(Composer& composer) const override;

private:
    QString m_category;
};

// 成果简介: the summary flows on as many sheets as it needs.
class SummaryPage : public ReportPage {
public:
    using ReportPage::ReportPage;
    void prepare(PrintData& data) override;

protected:
    void compose(Composer& composer) const override;
};

// Registration materials and the registering authority's opinion with the registration date.
class RegistrationPage : public ReportPage {
public:
    using ReportPage::ReportPage;
    void prepare(PrintData& data) override;

protected:
    void compose(Composer& composer) const override;
};

// A list of people in row bands: completers or committee members. The sheets show the fixed
// page label up to a number of rows and the running counter from there on.
class PeoplePage : public ReportPage {
public:
    PeoplePage(QString name, bool committee);
    void prepare(PrintData& data) override;
    // The rows as printed (codes turned into text), the closing empty row included.
    const QList<QStringList>& rows() const { return m_rows; }
    int counterFrom() const { return m_committee ? 16 : 19; }

protected:
    void compose(Composer& composer) const override;

private:
    bool m_committee;
    QList<QStringList> m_rows;
};

// The first completing unit and the cooperating units; the other categories' page also holds
// the evaluation.
class UnitPage : public ReportPage {
public:
    UnitPage(QString name, bool applied);
    void prepare(PrintData& data) override;
    const QList<QStringList>& units() const { return m_units; }

protected:
    void compose(Composer& composer) const override;

private:
    bool m_applied;
    QList<QStringList> m_units;
};

class Tyyfm1 final : public CoverPage {
public:
    Tyyfm1();
};
class Trjfm1 final : public CoverPage {
public:
    Trjfm1();
};

// 一、成果概况 and 二、立项情况 of applied technology.
class TyyPrint03 final : public ReportPage {
public:
    TyyPrint03();
    void prepare(PrintData& data) override;

protected:
    void compose(Composer& composer) const override;
};

// 三、评价情况, 四、知识产权状况 and 五、成果应用情况 of applied technology.
class TyyPrint05 final : public ReportPage {
public:
    TyyPrint05();
    void prepare(PrintData& data) override;

protected:
    void compose(Composer& composer) const override;
};

// 一、成果概况 and 二、立项情况 of soft science and basic theory.
class TrjPrint03 final : public ReportPage {
public:
    TrjPrint03();
    void prepare(PrintData& data) override;

protected:
    void compose(Composer& composer) const override;
};

// Shared by the overview pages of both groups: keywords (the first two parts at ";", the rest
// whole into the third) and the funding rows of 立项情况.
void setKeywords(ReportPage& page, const QString& keywords);
void setFunds(ReportPage& page, PrintData& data);
void drawFunds(const ReportPage& page, Composer& composer);

// The page of a name, or nothing for a name the form does not have.
std::unique_ptr<ReportPage> createReportPage(const QString& name);

// The buttons of "自定义打印" for a group: caption and page.
struct PageButton {
    QString caption;
    QString page;
};
QList<PageButton> customPages(bool applied);

// The sections of "直接打印", and the data pages of the whole form in print order: caption,
// page, running page label and the counter prefix of the lists.
struct Section {
    QString caption;
    QString page;
    QString label;
    QString counterPrefix;
};
QList<Section> sections(bool applied);
// The cover first, then the numbered data pages.
QList<Section> fullRun(bool applied);

} // namespace tamsel::print
