#pragma once
#include "album/MainDialogs.h"

#include <QApplication>
#include <QCursor>
#include <deque>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vantrel::test {

// Answers in the order given; a question without a scripted answer fails the test.
struct ScriptedDialogs : MainDialogs {
    std::deque<bool> answers;
    std::deque<QStringList> filesToOpen;
    std::deque<QString> albumNames;
    std::vector<std::string> warned;
    std::vector<QString> questions;

    bool askYesNo(const QString&, const QString& text) override
    {
        questions.push_back(text);
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << text.toStdString();
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void warn(std::string_view key, const QString&, const QString&) override
    {
        warned.emplace_back(key);
        hourglassAtWarning.push_back(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    }
    std::vector<bool> hourglassAtWarning;
    QStringList chooseFilesToOpen(const QString&, const QString&) override { return next(filesToOpen); }
    QString chooseAlbumToSave(const QString&, const QString&, const QString&) override { return next(albumNames); }
    QString chooseImageToSave(const ImageSaveDialog& dialog) override
    {
        proposedImages.push_back(dialog.proposedName);
        return next(imageNames);
    }
    QString chooseHtmlIndex(const QString&, const QString& name) override
    {
        proposedIndex = name;
        return next(htmlNames);
    }
    std::optional<QString> askHtmlTitle() override { return next(titles); }

    std::deque<QString> imageNames;
    std::deque<QString> htmlNames;
    std::deque<std::optional<QString>> titles;
    std::vector<std::string> proposedImages;
    QString proposedIndex;

    template <class T> T next(std::deque<T>& queue)
    {
        EXPECT_FALSE(queue.empty()) << "unexpected file dialog";
        if (queue.empty())
            return {};
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

} // namespace vantrel::test
