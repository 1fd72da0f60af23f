// The guide and the manual page know the whole program: every command and key
// of the main window and the task editor is in the user guide, and every
// command and option stepvane-cli lists is in its manual page. The lists come
// from the program itself, so a new command fails here until it is written up.
#include "test_main_window_support.h"

namespace stepvane::test {
namespace {

QString guideText()
{
    QString html = QString::fromUtf8(readAll(STEPVANE_SOURCE_DIR "/data/help/index.html"));
    html.remove(QRegularExpression("<[^>]*>"));
    html.replace("&gt;", ">").replace("&lt;", "<").replace("&nbsp;", " ").replace("&amp;", "&");
    return html.simplified();
}

// The roff source with its escapes undone: "\-" is "-", fonts are dropped.
QString manSource(const char *name)
{
    QString roff =
        QString::fromUtf8(readAll(QStringLiteral(STEPVANE_SOURCE_DIR "/data/man/%1").arg(name)));
    roff.replace("\\-", "-");
    roff.remove(QRegularExpression("\\\\f[BIRP]"));
    return roff;
}

QString runCli(const QStringList &args)
{
    QProcess cli;
    cli.start(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-cli"), args);
    cli.waitForFinished(30000);
    return QString::fromUtf8(cli.readAllStandardOutput());
}

QStringList optionsIn(const QString &text)
{
    QStringList options;
    static const QRegularExpression option("(?<![\\w-])--[a-z0-9][a-z0-9-]*");
    for (auto it = option.globalMatch(text); it.hasNext();)
        options << it.next().captured();
    options.removeDuplicates();
    return options;
}

} // namespace

TEST_F(MainWindowTest, EveryCommandAndKeyIsInTheGuide)
{
    addSequences(1, 1);
    pane().setSelectedIndex(0);
    pane().openTaskEditor(0, 0);
    CVXMeasurementEditDlg *editor = pane().taskEditor();
    ASSERT_NE(editor, nullptr);

    QStringList names, keys;
    for (QAction *a : window->findChildren<QAction *>()) {
        if (!a->objectName().startsWith(QLatin1String("action")))
            continue; // recent files are the user's, not commands
        names << a->text().remove(u'&').remove("...");
        for (const QKeySequence &k : a->shortcuts())
            keys << k.toString(QKeySequence::PortableText);
    }
    for (QShortcut *s : editor->findChildren<QShortcut *>())
        keys << s->key().toString(QKeySequence::PortableText);
    for (QAction *a : editor->actions())
        for (const QKeySequence &k : a->shortcuts())
            keys << k.toString(QKeySequence::PortableText);
    names.removeDuplicates();
    keys.removeDuplicates();
    ASSERT_GE(names.size(), 15) << names.join(", ").toStdString();
    ASSERT_GE(keys.size(), 10) << keys.join(", ").toStdString();

    const QString guide = guideText();
    for (const QString &name : names)
        EXPECT_TRUE(guide.contains(name)) << "the guide does not name " << name.toStdString();
    for (const QString &key : keys)
        EXPECT_TRUE(guide.contains(key)) << "the guide does not name " << key.toStdString();
}

TEST(GuideCoverage, EveryCliCommandAndOptionIsInTheManualPage)
{
    const QString overview = runCli({"--help"});
    const qsizetype start = overview.indexOf(QLatin1String("Commands:\n"));
    ASSERT_GE(start, 0) << overview.toStdString();
    QStringList commands;
    for (const QString &line : overview.mid(start + 10).split(u'\n')) {
        if (line.trimmed().isEmpty())
            break;
        commands << line.trimmed().section(u' ', 0, 0);
    }
    commands.removeDuplicates();
    ASSERT_GE(commands.size(), 10) << overview.toStdString();

    const QString man = manSource("stepvane-cli.1");
    QStringList options = optionsIn(overview);
    for (const QString &command : commands) {
        // Each command has an entry of its own: a tagged paragraph that starts with it.
        const QRegularExpression entry(QStringLiteral("^\\.TP\\n\\.(B|BI|BR) \"?%1\\b")
                                           .arg(QRegularExpression::escape(command)),
                                       QRegularExpression::MultilineOption);
        EXPECT_TRUE(entry.match(man).hasMatch())
            << "stepvane-cli.1 has no entry for " << command.toStdString();
        options << optionsIn(runCli({command, "--help"}));
    }
    options.removeDuplicates();
    ASSERT_GE(options.size(), 15) << options.join(", ").toStdString();
    for (const QString &option : options) {
        const QRegularExpression named(QRegularExpression::escape(option) + "(?![a-z0-9-])");
        EXPECT_TRUE(named.match(man).hasMatch())
            << "stepvane-cli.1 does not name " << option.toStdString();
    }
}

} // namespace stepvane::test
