// An interaction that records what would have been shown and answers from a script: for tests
// and for unattended runs.
//
//   RecordingInteraction gui;
//   GuiInteraction* previous = setGuiInteraction(&gui);
//   gui.answerNext(IDNO);                  // the next message box answers No
//   gui.nextFile("/tmp/cards.txt");        // the next file dialog (open or save) chooses this file
//   ... run the window ...
//   EXPECT_EQ(gui.lastMessage().text, "...");
//   EXPECT_FALSE(gui.waitBoxOpen());
//   setGuiInteraction(previous);
#pragma once

#include "GuiInteraction.h"

#include <QStringList>

#include <deque>
#include <vector>

class RecordingInteraction : public GuiInteraction {
public:
    struct Message {
        QString text;
        QString caption;
        int flags;
        bool overWaitBox = false; // shown while the wait box was open
    };

    int message(const QString& text, const QString& caption, int flags) override;
    void waitShow(const QString& text) override;
    void waitUpdate(const QString& text) override;
    void waitClose() override;
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& filter,
                         const QString& suggestedName) override;

    // Scripted answers, used in order. With none left a message box answers IDYES when it offers
    // that button, else its first button (IDOK for an OK box); a file dialog (open or save) is
    // cancelled.
    void answerNext(int buttonId) { answers_.push_back(buttonId); }
    void nextFile(const QString& path) { files_.push_back(path); }

    const std::vector<Message>& messages() const { return messages_; }
    // The last message; a default Message (empty texts, flags -1) when there was none.
    Message lastMessage() const;
    // In order: "show:<text>", "update:<text>", "close".
    const QStringList& waitEvents() const { return waitEvents_; }
    bool waitBoxOpen() const { return waitOpen_; }
    // The captions and filters the file dialogs, open and save, were opened with.
    const std::vector<std::pair<QString, QString>>& fileDialogs() const { return fileDialogs_; }

    // Forgets what was recorded and the scripted answers; whether the wait box is open stays.
    void clear();

private:
    std::vector<Message> messages_;
    QStringList waitEvents_;
    std::vector<std::pair<QString, QString>> fileDialogs_;
    std::deque<int> answers_;
    std::deque<QString> files_;
    bool waitOpen_ = false;
};
