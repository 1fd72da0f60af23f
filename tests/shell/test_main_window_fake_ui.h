// A user interface for the shell tests: answers questions, file dialogs,
// password prompts and modal windows from queues the test fills, and records
// everything it was asked to show. Nothing blocks.
#pragma once

#include "widgets/UserInterface.h"

#include <QDialog>
#include <QPrinter>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace stepvane::test {

class FakeUi : public UserInterface {
public:
    void report(const Message &message) override
    {
        reports.push_back(message);
        if (onReport)
            onReport(message);
    }
    bool ask(const Message &message) override
    {
        questions.push_back(message);
        return take(answers).value_or(defaultAnswer);
    }
    // Recorded with the questions; answered from `choices`, else from
    // `answers` (true: the first answer, false: the second), else as Enter.
    int choose(QWidget *, const Question &question) override
    {
        questions.push_back(question.message);
        asked.push_back(question);
        if (const auto c = take(choices))
            return *c;
        if (const auto a = take(answers))
            return *a ? 0 : 1;
        return question.defaultAnswer;
    }
    QString openFile(QWidget *, const QString &, const QString &filter, const QString &) override
    {
        openFilters << filter;
        return take(openPaths).value_or(QString());
    }
    QString openFileProposing(QWidget *parent, const QString &title, const QString &filter,
                              const QString &suffix, const QString &proposed) override
    {
        openProposals << proposed;
        return openFile(parent, title, filter, suffix);
    }
    SaveChoice askSaveChanges(QWidget *, const Message &question) override
    {
        saveQuestions << question.text();
        return take(saveChoices).value_or(SaveChoice::Cancel);
    }
    FileDialogResult saveFile(QWidget *, const QString &, const QString &filter, const QString &,
                              const QString &suggested, bool offerPassword) override
    {
        saveFilters << filter;
        saveSuggestions << suggested;
        saveOfferedPassword.push_back(offerPassword);
        return take(saveResults).value_or(FileDialogResult{});
    }
    bool askPassword(QWidget *, QString &password) override
    {
        ++passwordPrompts;
        const std::optional<QString> p = take(passwords).value_or(std::nullopt);
        password = p.value_or(QString());
        return p.has_value();
    }
    QString openWizardFile(QWidget *) override
    {
        ++wizardOpenDialogs;
        return take(openPaths).value_or(QString());
    }
    int runModal(QDialog &dialog) override
    {
        modalTitles << dialog.windowTitle();
        return onModal ? onModal(dialog) : QDialog::Rejected;
    }
    bool openDocument(const QString &path) override
    {
        openedDocuments << path;
        return documentsOpen;
    }

    bool choosePrinter(QPrinter &printer, QWidget *) override
    {
        ++printDialogs;
        return choosePrinterWith ? choosePrinterWith(printer) : false;
    }

    QStringList reportIds() const
    {
        QStringList ids;
        for (const Message &m : reports)
            ids << (m.id.isEmpty() ? m.text() : m.id);
        return ids;
    }
    QStringList questionIds() const
    {
        QStringList ids;
        for (const Message &m : questions)
            ids << m.id;
        return ids;
    }
    // What the test looked at so far forgotten, before the next step.
    void forgetShown()
    {
        questions.clear();
        asked.clear();
        modalTitles.clear();
    }
    void saveAs(const QString &path) { saveResults.push_back({path, {}, {}, false}); }
    void saveAsWithPassword(const QString &path, const QString &pw)
    {
        saveResults.push_back({path, pw, pw, true});
    }

    std::vector<Message> reports;
    std::vector<Message> questions;
    std::deque<bool> answers;
    std::deque<int> choices;
    std::vector<Question> asked;
    bool defaultAnswer = true;
    std::deque<QString> openPaths;
    QStringList openFilters;
    QStringList openProposals;
    QStringList saveQuestions;
    std::deque<SaveChoice> saveChoices; // empty: Cancel
    std::deque<FileDialogResult> saveResults;
    QStringList saveFilters;
    QStringList saveSuggestions;
    std::vector<bool> saveOfferedPassword;
    std::deque<std::optional<QString>> passwords; // nullopt: the dialog is closed
    int passwordPrompts = 0;
    int wizardOpenDialogs = 0;
    std::function<int(QDialog &)> onModal;
    std::function<void(const Message &)> onReport;
    QStringList modalTitles;
    QStringList openedDocuments;
    bool documentsOpen = true;
    int printDialogs = 0;
    std::function<bool(QPrinter &)> choosePrinterWith;

private:
    // The next scripted answer, if one is left.
    template <typename T> static std::optional<T> take(std::deque<T> &queue)
    {
        if (queue.empty())
            return std::nullopt;
        std::optional<T> first(std::move(queue.front()));
        queue.pop_front();
        return first;
    }
};

} // namespace stepvane::test
