#include "RecordingInteraction.h"

#include <algorithm>

int RecordingInteraction::message(const QString& text, const QString& caption, int flags)
{
    messages_.push_back({text, caption, flags, waitOpen_});
    if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    const std::vector<int> buttons = MessageBoxStyleOf(flags).buttons;
    const bool offered = std::find(buttons.begin(), buttons.end(), IDYES) != buttons.end();
    return offered ? IDYES : buttons.front();
}

void RecordingInteraction::waitShow(const QString& text)
{
    waitEvents_.append("show:" + text);
    waitOpen_ = true;
}

void RecordingInteraction::waitUpdate(const QString& text)
{
    waitEvents_.append("update:" + text);
}

void RecordingInteraction::waitClose()
{
    waitEvents_.append("close");
    waitOpen_ = false;
}

QString RecordingInteraction::openFileName(const QString& caption, const QString& filter)
{
    fileDialogs_.emplace_back(caption, filter);
    if (files_.empty())
        return {};
    const QString file = files_.front();
    files_.pop_front();
    return file;
}

QString RecordingInteraction::saveFileName(const QString& caption, const QString& filter,
                                           const QString&)
{
    return openFileName(caption, filter);
}

RecordingInteraction::Message RecordingInteraction::lastMessage() const
{
    return messages_.empty() ? Message{QString(), QString(), -1} : messages_.back();
}

void RecordingInteraction::clear()
{
    messages_.clear();
    waitEvents_.clear();
    fileDialogs_.clear();
    answers_.clear();
    files_.clear();
}
