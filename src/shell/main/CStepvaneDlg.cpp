// The main window: regions, menu strip, keys, dropped files, closing, the
// history's undo and redo, and the doors to the other windows. The document
// commands are in DocumentCommands.cpp.
#include "shell/main/CStepvaneDlg.h"
#include "shell/main/FileWatch.h"

#include "common/DataFiles.h"
#include "document/NameTables.h"
#include "instrument_files/CVXSCPI_PARSER.h"
#include "instrument_files/LanguageInfo.h"
#include "shell/app/Icons.h"
#include "shell/check/WizardCheckCommand.h"
#include "shell/comm/CommDialogLauncher.h"
#include "shell/comm/FleetSendDlg.h"
#include "shell/dialogs/CAboutDlg.h"
#include "shell/dialogs/DocumentViewer.h"
#include "shell/dialogs/StatusNotice.h"
#include "shell/find/WizardFindCommand.h"
#include "shell/history/RecoveryCopies.h"
#include "shell/main/RecentFiles.h"
#include "shell/main/SummaryHooks.h"
#include "shell/sequences/CVXTestList_View.h"
#include "shell/taskeditor/CVXMeasurementEditDlg.h"
#include "shell/walkthrough/WalkthroughCommand.h"
#include "widgets/AppState.h"
#include "widgets/TextFieldRules.h"
#include "widgets/UserInterface.h"
#include "widgets/WindowPlace.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace stepvane {

QString fileNameOfPath(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return cut < 0 ? path : path.mid(cut + 1);
}

CStepvaneDlg::CStepvaneDlg(AppState &state, UserInterface &ui, QWidget *parent)
    : QWidget(parent), m_state(state), m_ui(ui), m_readerSink(ui),
      m_parser(&m_doc, state.CurrentModelIndex, &m_readerSink), m_history(m_doc)
{
    setObjectName(QStringLiteral("CStepvaneDlg"));
    setDocumentTitle(kApplicationVersion + QStringLiteral("[*]"));
    setWindowIcon(appIcon(AppIcon::Program));
    setAcceptDrops(true);
    m_watch = new FileWatch(
        m_ui, this,
        {[this] { return isModified(); }, [this](const QString &path) { loadWizardFrom(path); }});

    buildMenuStrip();
    buildLayout();
    // Find needs the task editor, which comes with the layout.
    m_fileMenu->insertAction(action(QStringLiteral("actionCheck")),
                             (new WizardFindCommand(*this))->findAction());
    if (m_pane->taskEditor())
        shareDocumentKeys(m_pane->taskEditor());

    // The SCPI catalogue is read while the window is set up, for a model the
    // file covers, and let go again: nothing in the editor keeps it yet. A
    // missing or bad file only leaves it empty.
    if (m_state.CurrentModelIndex >= 0 && m_state.CurrentModelIndex <= 3) {
        CVXSCPI_PARSER catalogue;
        catalogue.Load();
    }

    setFixedWidth(kWidth);
    setMinimumHeight(kLeastHeight);
    resize(kWidth, kMinHeight);

    connect(&m_history, &DocumentHistory::modifiedChanged, this, &QWidget::setWindowModified);
    connect(&m_history, &DocumentHistory::changed, this, &CStepvaneDlg::updateHistoryControls);
    connect(&m_history, &DocumentHistory::restored, this, &CStepvaneDlg::showRestored);
    updateHistoryControls();

#ifndef QT_NO_SESSIONMANAGER
    // The session ends: unsaved work is asked about when the session lets us
    // ask, and kept as a recovery copy when it does not.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        if (manager.allowsInteraction()) {
            const bool go = maybeSave();
            manager.release();
            if (!go)
                manager.cancel();
        } else if (m_recovery && isModified()) {
            m_recovery->writeNow();
        }
    });
#endif

    // Keys are looked at before any control of this window sees them.
    qApp->installEventFilter(this);
}

CStepvaneDlg::~CStepvaneDlg()
{
    qApp->removeEventFilter(this);
    // The pane and its task editor go while the document and its history are
    // still here: a page may commit a field as it goes.
    delete m_pane;
    m_pane = nullptr;
    m_recovery.reset();
    m_history.clear();
    m_doc.clear();
}

template <typename Slot>
QAction *CStepvaneDlg::makeAction(const QString &text, const QString &name, Slot slot,
                                  const QKeySequence &shortcut)
{
    auto *action = new QAction(text, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, slot);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // Keys work whether or not the menu holding the action is open.
        addAction(action);
    }
    return action;
}

void CStepvaneDlg::shareDocumentKeys(QWidget *other)
{
    // A key claimed twice in one window does nothing at all, so the other
    // window's own keys (the task editor's undo and redo) win.
    QList<QKeySequence> taken;
    for (const QShortcut *shortcut : other->findChildren<QShortcut *>())
        taken << shortcut->key();
    for (const QAction *own : other->actions())
        taken << own->shortcuts();
    for (QAction *command : actions()) {
        if (command->shortcuts().isEmpty() || other->actions().contains(command))
            continue;
        const QList<QKeySequence> keys = command->shortcuts();
        if (std::none_of(keys.begin(), keys.end(),
                         [&](const QKeySequence &k) { return taken.contains(k); }))
            other->addAction(command);
    }
}

QAction *CStepvaneDlg::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

QToolButton *CStepvaneDlg::stripButton(const QString &text, const QIcon &icon, const QString &name)
{
    auto *b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setIcon(icon);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void CStepvaneDlg::buildMenuStrip()
{
    m_fileMenu = new QMenu(this);
    m_fileMenu->addAction(makeAction(QStringLiteral("New"), QStringLiteral("actionNew"),
                                     &CStepvaneDlg::newWizard, QKeySequence::New));
    m_fileMenu->addAction(makeAction(QStringLiteral("Open"), QStringLiteral("actionOpen"),
                                     &CStepvaneDlg::openWizard, QKeySequence::Open));
    m_recentMenu = m_fileMenu->addMenu(QStringLiteral("Recent files"));
    m_recentMenu->setObjectName(QStringLiteral("recentFilesMenu"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CStepvaneDlg::fillRecentMenu);
    fillRecentMenu();
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(makeAction(QStringLiteral("Save"), QStringLiteral("actionSave"),
                                     &CStepvaneDlg::saveWizard, QKeySequence::Save));
    m_fileMenu->addAction(makeAction(QStringLiteral("Save as..."), QStringLiteral("actionSaveAs"),
                                     &CStepvaneDlg::saveWizardAs,
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction((new WizardCheckCommand(m_state, *this))->action());
    auto *walkthrough = new WalkthroughCommand(m_state, m_ui, *this);
    m_fileMenu->addAction(walkthrough->walkAction());
    m_fileMenu->addAction(walkthrough->exportAction());
    m_fileMenu->addAction(makeAction(QStringLiteral("Send to EQP"), QStringLiteral("actionSend"),
                                     &CStepvaneDlg::sendToInstrument));
    m_fileMenu->addAction(makeAction(QStringLiteral("Send to instruments..."),
                                     QStringLiteral("actionSendFleet"), [this] {
                                         // The same rule as Send to EQP: the instruments get the
                                         // file on disk.
                                         if (saveBeforeSending())
                                             runFleetSendDialog(m_ui, this, m_filePath);
                                     }));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(makeAction(QStringLiteral("Exit"), QStringLiteral("actionExit"),
                                     &QWidget::close, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    // Keys of the buttons, and undo and redo (a text field with the focus
    // keeps Ctrl+Z and Ctrl+Shift+Z for its own undo).
    makeAction(QStringLiteral("Print"), QStringLiteral("actionPrint"), &CStepvaneDlg::printSummary,
               QKeySequence::Print);
    makeAction(QStringLiteral("Help"), QStringLiteral("actionHelp"), &CStepvaneDlg::showHelp,
               QKeySequence(Qt::Key_F1));
    makeAction(QStringLiteral("Undo"), QStringLiteral("actionUndo"), &CStepvaneDlg::undo,
               QKeySequence(Qt::CTRL | Qt::Key_Z));
    makeAction(QStringLiteral("Redo"), QStringLiteral("actionRedo"), &CStepvaneDlg::redo,
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    makeAction(
        QStringLiteral("Redo"), QStringLiteral("actionRedoY"),
        [this] {
            // A text field may not claim this one for itself.
            if (!qobject_cast<QLineEdit *>(QApplication::focusWidget()))
                redo();
        },
        QKeySequence(Qt::CTRL | Qt::Key_Y));

    m_settingsMenu = new QMenu(this);
    m_settingsMenu->addAction(makeAction(QStringLiteral("Communication"),
                                         QStringLiteral("actionCommunication"),
                                         &CStepvaneDlg::communicationSettings));

    // The menus open right below their buttons, which stay pressed meanwhile.
    m_fileButton =
        stripButton(QStringLiteral("File"), appIcon(AppIcon::File), QStringLiteral("fileButton"));
    m_fileButton->setMenu(m_fileMenu);
    m_fileButton->setPopupMode(QToolButton::InstantPopup);
    m_settingsButton = stripButton(QStringLiteral("Settings"), appIcon(AppIcon::Settings),
                                   QStringLiteral("settingsButton"));
    m_settingsButton->setMenu(m_settingsMenu);
    m_settingsButton->setPopupMode(QToolButton::InstantPopup);
    m_helpButton =
        stripButton(QStringLiteral("Help"), appIcon(AppIcon::Help), QStringLiteral("helpButton"));
    connect(m_helpButton, &QToolButton::clicked, this, &CStepvaneDlg::showHelp);
    m_aboutButton = stripButton(QStringLiteral("About"), appIcon(AppIcon::About),
                                QStringLiteral("aboutButton"));
    connect(m_aboutButton, &QToolButton::clicked, this, &CStepvaneDlg::showAbout);
    m_helpButton->setToolTip(QStringLiteral("User guide (F1)"));

    m_undoButton = stripButton(QString(), appIcon(AppIcon::Undo), QStringLiteral("undoButton"));
    m_undoButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(m_undoButton, &QToolButton::clicked, this, &CStepvaneDlg::undo);
    m_redoButton = stripButton(QString(), appIcon(AppIcon::Redo), QStringLiteral("redoButton"));
    m_redoButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(m_redoButton, &QToolButton::clicked, this, &CStepvaneDlg::redo);
}

void CStepvaneDlg::fillRecentMenu()
{
    m_recentMenu->clear();
    const QStringList files = RecentFiles::paths();
    for (int i = 0; i < files.size(); ++i) {
        const QString &path = files.at(i);
        const QString name = fileNameOfPath(path).replace(u'&', QStringLiteral("&&"));
        QAction *entry = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        entry->setToolTip(QDir::toNativeSeparators(path));
        entry->setStatusTip(entry->toolTip());
        connect(entry, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    m_recentMenu->setToolTipsVisible(true);
    m_recentMenu->setEnabled(!files.isEmpty());
}

void CStepvaneDlg::updateHistoryControls()
{
    const bool undo = m_history.canUndo();
    const bool redo = m_history.canRedo();
    m_undoButton->setEnabled(undo);
    m_redoButton->setEnabled(redo);
    m_undoButton->setToolTip(undo ? QStringLiteral("Undo %1 (Ctrl+Z)").arg(m_history.undoText())
                                  : QStringLiteral("Nothing to undo"));
    m_redoButton->setToolTip(
        redo ? QStringLiteral("Redo %1 (Ctrl+Shift+Z)").arg(m_history.redoText())
             : QStringLiteral("Nothing to redo"));
}

void CStepvaneDlg::showRestored(const HistoryFocus &focus)
{
    if (m_titleEdit->text() != m_doc.Title)
        m_titleEdit->setText(m_doc.Title);
    m_pane->followDocument(focus);
}

void CStepvaneDlg::setDocumentTitle(const QString &text)
{
    setWindowTitle(text);
    setWindowModified(m_history.isModified());
}

void CStepvaneDlg::buildLayout()
{
    auto *strip = new QHBoxLayout;
    strip->setSpacing(0);
    for (QToolButton *b : {m_fileButton, m_settingsButton, m_helpButton, m_aboutButton})
        strip->addWidget(b);
    strip->addStretch();
    strip->addWidget(m_undoButton);
    strip->addWidget(m_redoButton);

    m_modelLabel = new QLabel(this);
    m_modelLabel->setObjectName(QStringLiteral("modelName"));
    QFont modelFont = m_modelLabel->font();
    modelFont.setBold(true);
    modelFont.setPointSizeF(modelFont.pointSizeF() * 1.6);
    m_modelLabel->setFont(modelFont);
    m_modelLabel->setAlignment(Qt::AlignCenter);
    refreshModel();

    auto *titleLabel =
        new QLabel(GetMessageText(QStringLiteral("IDS_WIZARD_TITLE")).trimmed(), this);
    m_titleEdit = new QLineEdit(this);
    m_titleEdit->setObjectName(QStringLiteral("wizardTitle"));
    keepWizardText(m_titleEdit);
    titleLabel->setBuddy(m_titleEdit);
    // Write-through: the document holds the whole text after every keystroke,
    // and the keystrokes of one visit to the field make one step to undo.
    connect(m_titleEdit, &QLineEdit::textEdited, this, [this](const QString &t) {
        WizardHeader header = WizardHeader::of(m_doc);
        header.Title = t;
        m_history.changeHeader(header, QStringLiteral("Wizard title"),
                               EditRecorder::Key{m_titleEdit, 0});
    });
    connect(m_titleEdit, &QLineEdit::editingFinished, &m_history, &DocumentHistory::closeOpenEdit);

    m_pane = new CVXTestList_View(m_state, m_ui, m_doc, m_history, m_parser, this);
    connect(m_pane, &CVXTestList_View::clearAllRequested, this, &CStepvaneDlg::clearAllSequences);

    m_newSequenceEdit = new QLineEdit(this);
    m_newSequenceEdit->setObjectName(QStringLiteral("newSequenceTitle"));
    keepWizardText(m_newSequenceEdit);
    m_newSequenceEdit->setPlaceholderText(QStringLiteral("New testing sequence title"));
    m_addSequenceButton = new QToolButton(this);
    m_addSequenceButton->setObjectName(QStringLiteral("addSequenceButton"));
    m_addSequenceButton->setIcon(appIcon(AppIcon::Add));
    m_addSequenceButton->setToolTip(QStringLiteral("Add a testing sequence"));
    connect(m_addSequenceButton, &QToolButton::clicked, this, &CStepvaneDlg::addSequence);
    m_addUnitButton = new QToolButton(this);
    m_addUnitButton->setObjectName(QStringLiteral("addUnitButton"));
    m_addUnitButton->setIcon(appIcon(AppIcon::Import));
    m_addUnitButton->setToolTip(QStringLiteral("Add a testing sequence from a testing unit file"));
    connect(m_addUnitButton, &QToolButton::clicked, this, &CStepvaneDlg::addTestingUnitFile);
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(m_newSequenceEdit, 1);
    addRow->addWidget(m_addSequenceButton);
    addRow->addWidget(m_addUnitButton);

    auto makeButton = [this](const QString &text, AppIcon icon, const QString &name, auto slot) {
        auto *b = new QPushButton(appIcon(icon), text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    m_openButton = makeButton(QStringLiteral("Open"), AppIcon::Open, QStringLiteral("openButton"),
                              &CStepvaneDlg::openWizard);
    m_saveButton = makeButton(QStringLiteral("Save"), AppIcon::Save, QStringLiteral("saveButton"),
                              &CStepvaneDlg::saveWizard);
    m_printButton = makeButton(QStringLiteral("Print"), AppIcon::Print,
                               QStringLiteral("printButton"), &CStepvaneDlg::printSummary);
    m_openButton->setToolTip(QStringLiteral("Open a wizard (Ctrl+O)"));
    m_saveButton->setToolTip(QStringLiteral("Save the wizard (Ctrl+S)"));
    m_printButton->setToolTip(QStringLiteral("Print the testing summary (Ctrl+P)"));
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_openButton);
    bottom->addWidget(m_saveButton);
    bottom->addWidget(m_printButton);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(strip);
    layout->addWidget(m_modelLabel);
    layout->addWidget(titleLabel);
    layout->addWidget(m_titleEdit);
    layout->addWidget(m_pane, 1);
    layout->addLayout(addRow);
    // What a command wrote (a web page) is named here, with its folder.
    layout->addWidget(new StatusNotice(m_ui, this));
    layout->addLayout(bottom);
}

void CStepvaneDlg::refreshModel()
{
    m_modelLabel->setText(modelName(m_state.CurrentModelIndex));
    m_parser.Set_Model(m_state.CurrentModelIndex);
}

void CStepvaneDlg::placeOnScreen()
{
    if (rememberPlace(this, QStringLiteral("MainWindow")))
        return;
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    const int width = qMax(size.width(), 312);
    const int height = qMax(size.height(), 600);
    move(width / 5 - 62, qMax(0, height / 5 - 120));
    keepOnScreen(this);
}

bool CStepvaneDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != this)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier && key->key() == Qt::Key_C) {
        copySequence();
        return true;
    }
    if (mods == Qt::ControlModifier && key->key() == Qt::Key_V) {
        pasteSequence();
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a sequence row opens it, as a double click does.
        if (widget == m_newSequenceEdit)
            addSequence();
        else if (widget == m_pane->rowArea() && m_pane->selectedIndex() >= 0)
            m_pane->openTaskEditor(m_pane->selectedIndex());
        return true;
    default:
        return false;
    }
}

namespace {

QStringList localFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime)
        return paths;
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

} // namespace

void CStepvaneDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CStepvaneDlg::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    openDroppedFiles(paths);
}

void CStepvaneDlg::closeEvent(QCloseEvent *event)
{
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    event->accept();
    // Nothing is left to recover: the work was saved or let go on purpose.
    m_recovery.reset();
    if (CVXMeasurementEditDlg *editor = m_pane->taskEditor())
        editor->hide();
}

void CStepvaneDlg::sendToInstrument()
{
    // The instrument gets the file as it is on disk; unsaved changes would
    // stay behind without a word, so they are offered for saving first.
    if (!saveBeforeSending())
        return;
    // The dialog starts with the open wizard's file.
    runCommDialog(m_ui, CommDialogMode::Send, this, QString(), m_filePath);
}

void CStepvaneDlg::communicationSettings()
{
    runCommDialog(m_ui, CommDialogMode::Settings, this);
}

void CStepvaneDlg::showHelp()
{
    const QString path = helpPath();
    QString why;
    if (path.isEmpty())
        why = QStringLiteral("%1: No such file")
                  .arg(QDir::toNativeSeparators(
                      QDir(programDirectory()).filePath(QStringLiteral("data/help/index.html"))));
    else if (openProgramDocument(m_ui, this, path, &why))
        return;
    // The language table's text, and what really went wrong.
    const QString text = GetMessageText(QStringLiteral("IDS_ERROR_HELP")).trimmed();
    m_ui.report(Message::fromText(text + QStringLiteral("\n%s"), {why}));
}

void CStepvaneDlg::showAbout()
{
    CAboutDlg about(m_ui, this);
    m_ui.runModal(about);
}

void CStepvaneDlg::printSummary()
{
    printWizardSummary(m_ui, m_doc, m_state.CurrentModelIndex, this);
}

} // namespace stepvane
