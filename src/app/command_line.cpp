// The command line of tamsel: options, help and version texts.

#include "app/command_line.h"

namespace tamsel::app {

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool help = false;
    bool version = false;
    bool selfCheck = false;
    bool options = true;
    const auto fail = [&line](const QString& error) {
        line.action = CommandLine::Action::Usage;
        line.error = error;
        return line;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!options || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            return fail(QStringLiteral("多余的参数“%1”").arg(arg));
        }
        if (arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? arg : arg.left(eq);
        const bool takesValue = name == QLatin1String("--data") || name == QLatin1String("--screenshots");
        if (takesValue) {
            QString value;
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return fail(QStringLiteral("选项“%1”需要一个参数").arg(name));
            }
            if (value.isEmpty()) {
                return fail(QStringLiteral("选项“%1”的参数不能为空").arg(name));
            }
            (name == QLatin1String("--data") ? line.dataFolder : line.screenshotsFolder) = value;
            continue;
        }
        if (eq >= 0 && (name == QLatin1String("--help") || name == QLatin1String("--version") ||
                        name == QLatin1String("--self-check"))) {
            return fail(QStringLiteral("选项“%1”不接受参数").arg(name));
        }
        if (arg == QLatin1String("--help")) {
            help = true;
        } else if (arg == QLatin1String("--version")) {
            version = true;
        } else if (arg == QLatin1String("--self-check")) {
            selfCheck = true;
        } else {
            return fail(QStringLiteral("无法识别的选项“%1”").arg(arg));
        }
    }
    if (help) {
        line.action = CommandLine::Action::Help;
    } else if (version) {
        line.action = CommandLine::Action::Version;
    } else if (selfCheck) {
        line.action = CommandLine::Action::SelfCheck;
    } else if (!line.screenshotsFolder.isEmpty()) {
        line.action = CommandLine::Action::Screenshots;
    }
    return line;
}

QString helpText() {
    return QStringLiteral("用法：tamsel [选项]\n"
                          "科技成果登记：录入、查询、导出、导入和打印科技成果。\n"
                          "\n"
                          "      --data=文件夹         打开指定的数据文件夹，例如从旧程序或 U 盘复制来的\n"
                          "                              文件夹（文件名大小写均可）\n"
                          "      --self-check          启动并打开全部数据表后退出，成功时退出状态为 0\n"
                          "      --screenshots=文件夹  把主窗口和成果概况页的截图存入该文件夹后退出\n"
                          "      --help                显示此帮助信息并退出\n"
                          "      --version             显示版本信息并退出\n"
                          "\n"
                          "不指定 --data 时：程序所在文件夹旁有 data 文件夹就用它；否则用\n"
                          "$XDG_DATA_HOME/Tamsel/data（通常是 ~/.local/share/Tamsel/data），\n"
                          "首次启动时从随程序安装的数据文件夹复制而成。\n"
                          "\n"
                          "同一数据文件夹同时只能由一个程序（tamsel、tamsel-exchange）写入。\n"
                          "命令行工具：tamsel-sql（在数据文件夹上执行一条 SQL 语句），\n"
                          "tamsel-exchange（成批导出、检查、导入 cgsbqy.arj）。\n");
}

QString versionText() {
    return QStringLiteral("tamsel（科技成果登记）%1\n基于 Qt %2。\n")
        .arg(QStringLiteral(TAMSEL_VERSION), QString::fromLatin1(qVersion()));
}

QString usageErrorText(const QString& error) {
    return QStringLiteral("tamsel：%1\n请尝试执行“tamsel --help”来获取更多信息。\n").arg(error);
}

} // namespace tamsel::app
