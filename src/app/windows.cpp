// Creates the windows of the libraries above core in start-up order and sets the main window's
// hooks to them.
#include "app/windows.h"

#include "core/application.h"
#include "core/data_module.h"
#include "core/main_form.h"
#include "core/year_change_dialog.h"
#include "engine/error.h"
#include "entry/certificate_page.h"
#include "entry/classification_picker.h"
#include "entry/ip_page.h"
#include "entry/overview_page.h"
#include "entry/patent_dialog.h"
#include "entry/patents_page.h"
#include "entry/project_page.h"
#include "exchange/code_manage_dialog.h"
#include "exchange/export_dialog.h"
#include "exchange/import_dialog.h"
#include "help/helpwindows.h"
#include "people/committee_member_dialog.h"
#include "people/committee_page.h"
#include "people/completer_dialog.h"
#include "people/completers_page.h"
#include "people/completers_table_page.h"
#include "people/quick_add_dialog.h"
#include "print/printform.h"
#include "units/cooperating_unit_dialog.h"
#include "units/cooperating_units_page.h"
#include "units/discipline_leader_dialog.h"
#include "units/discipline_leaders_page.h"
#include "units/first_unit_page.h"
#include "units/second_level_units_page.h"
#include "units/unit_profile_page.h"
#include "units/unit_record.h"
#include "units/unit_situation_dialog.h"

#include <memory>

namespace tamsel::app {

void createOtherWindows(core::Application& application) {
    core::TDM& dm = *application.dataModule();
    core::TMainForm& main = *application.mainForm();
    core::WindowHooks& hooks = main.Hooks;

    // Help windows join this directory as they are created; core made THelpForm already.
    auto helpWindows = std::make_shared<help::HelpWindows>();
    const auto addHelp = [&](const QString& name) {
        helpWindows->add(name, application.adopt(help::createHelpWindow(name)));
    };
    help::loadHelpText(*application.helpForm(), QStringLiteral("THelpForm"));
    helpWindows->add(QStringLiteral("THelpForm"), application.helpForm());
    hooks.showHelp = [helpWindows](const QString& name) { helpWindows->show(name); };

    auto* patentList = application.adopt(std::make_unique<entry::TFpage6>(dm, main));

    auto* picker = application.adopt(std::make_unique<entry::TFormTree>(dm));
    hooks.pickClass = [picker](QLineEdit* target, const QString& tableFile) {
        return picker->OpenFor(target, tableFile);
    };

    // The overview page reaches the picker through hooks.pickClass.
    auto* overviewPage = application.adopt(std::make_unique<entry::TFpage1>(dm, main));
    hooks.page01 = [overviewPage] { overviewPage->Execute(); };

    auto* unitSituation = application.adopt(std::make_unique<units::Tdw_Form>(dm, main));

    auto* completerDialog = application.adopt(std::make_unique<people::TFinto8>(dm, main));
    auto* committeeDialog = application.adopt(std::make_unique<people::TFinto7>(dm, main));
    patentList->setDialog(application.adopt(std::make_unique<entry::TFinto6>(dm, main)));
    auto* coopUnitDialog = application.adopt(std::make_unique<units::TFinto5>(dm, main));

    addHelp(QStringLiteral("THelpForm_rj"));

    auto* ipPage = application.adopt(std::make_unique<entry::TFpage2>(dm, main, patentList));
    hooks.page02 = [ipPage] { ipPage->Execute(); };

    auto* firstUnitPage = application.adopt(std::make_unique<units::TFpage4>(dm, main, unitSituation));
    hooks.page04 = [firstUnitPage] { firstUnitPage->Execute(); };

    auto* coopUnitsPage = application.adopt(std::make_unique<units::TFpage5>(dm, main, coopUnitDialog));
    hooks.page05 = [coopUnitsPage] { coopUnitsPage->Execute(); };
    auto* committeePage = application.adopt(std::make_unique<people::TFpage7>(dm, main, committeeDialog));
    hooks.page07 = [committeePage] { committeePage->Execute(); };
    // The quick-add dialog is shared by both completers pages.
    auto* quickAdd = application.adopt(std::make_unique<people::TFormWcr>(dm, main));
    auto* completersPage =
        application.adopt(std::make_unique<people::TFpage8>(dm, main, completerDialog, quickAdd));
    hooks.page08 = [completersPage] { completersPage->Execute(); };

    auto* unitProfile = application.adopt(std::make_unique<units::TFpage4a>(dm, main, picker));
    hooks.unitProfile = [unitProfile] { unitProfile->Execute(); };
    // The completers as a table view; the second-level units page opens the discipline leaders
    // of its selected unit instead.
    application.adopt(std::make_unique<people::TFpage12>(dm, main, completerDialog, quickAdd));
    auto* leaders = application.adopt(std::make_unique<units::TFpage11>(
        dm, main, application.adopt(std::make_unique<units::TFinto11>(dm, main))));
    auto* secondLevelUnits = application.adopt(std::make_unique<units::TFpage10>(dm, main, picker, leaders));
    unitProfile->OpenDisciplineLeaders = [leaders, &dm] {
        leaders->Execute(units::unitValue(dm.Tblunit, QStringLiteral("unitcode")));
    };
    unitProfile->OpenSecondLevelUnits = [secondLevelUnits] { secondLevelUnits->Execute(); };

    auto* projectPage = application.adopt(std::make_unique<entry::TFpage3>(dm, main));
    hooks.page03 = [projectPage] { projectPage->Execute(); };
    auto* certificatePage = application.adopt(std::make_unique<entry::TFpage9>(dm, main));
    hooks.page09 = [certificatePage] { certificatePage->Execute(); };

    // "打印" prints the achievement current in the list.
    auto* printForm = application.adopt(std::make_unique<print::TPrintForm>(dm));
    hooks.printDialog = [printForm, &dm] {
        const engine::Query& list = dm.Qrypelk;
        printForm->setAchievement({list.asString(u"ITEM_4"), list.asString(u"ITEM_DQDM")},
                                  list.asString(u"ITEM_CGLB"));
        printForm->Execute();
    };

    // "导出" writes cgsbqy.arj of the chosen achievements.
    auto* exportForm = application.adopt(std::make_unique<exchange::TFormout>(dm.DataPath));
    hooks.exportDialog = [exportForm] { exportForm->Execute(); };

    // "导入" takes an archive in; "修改成果年份" works on the incoming achievement chosen there,
    // and after storing the main window reloads its years and list.
    auto* importForm = application.adopt(std::make_unique<exchange::TFormin>(dm.DataPath));
    importForm->setYearChange([&application, &dm](const exchange::AchievementRow& row) {
        engine::Table& incoming = dm.T_temp_in;
        incoming.close();
        incoming.setFolder(dm.DataPath);
        incoming.setTableName(QStringLiteral("pelktemp.dbf"));
        incoming.open();
        for (incoming.first(); !incoming.eof(); incoming.next()) {
            if (incoming.asString(u"ITEM_4").trimmed() == row.number &&
                incoming.asString(u"ITEM_DQDM").trimmed() == row.region) {
                break;
            }
        }
        application.formFormat()->showDialog();
        incoming.close(); // the import empties the twins to a bare header, which needs them free
    });
    importForm->setAfterStore([&main, &dm] {
        try {
            dm.OpenQueryText(dm.tempquery, QStringLiteral("select item_4 from pelk order by item_4 desc"));
            main.FillYearList(dm.tempquery);
        } catch (const engine::EngineError&) {
        }
        main.ComboBox1Change();
    });
    hooks.importDialog = [importForm] { importForm->Execute(); };

    // "更新指标项": code maintenance.
    auto* codeManage = application.adopt(std::make_unique<exchange::TFcodeManage>(dm, main));
    hooks.codeManage = [codeManage] { codeManage->Execute(); };

    for (const QString& name : help::helpWindowNames().mid(2)) {
        addHelp(name);
    }
}

} // namespace tamsel::app
