#pragma once
#include "image/TargetPath.h"

#include <QString>

#include <string>
#include <vector>

namespace vantrel::test {

// Answers the album's questions with `yes` and keeps what it was asked and told.
struct RecordingPrompts : PathPrompts {
    bool yes = false;
    std::vector<QString> questions;
    std::vector<QString> warnings;
    QString lastCaption;
    int raised = 0;
    int closed = 0;
    bool askYesNo(const QString& caption, const QString& text) override
    {
        lastCaption = caption;
        questions.push_back(text);
        return yes;
    }
    void warn(std::string_view, const QString& caption, const QString& text) override
    {
        lastCaption = caption;
        warnings.push_back(text);
    }
    void raiseWaitDialog() override { ++raised; }
    void closeWaitDialog() override { ++closed; }
};

} // namespace vantrel::test
