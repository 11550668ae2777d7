#pragma once
#include <QThread>

namespace vantrel {

class QuobVtr;

// The status-poll thread: polls the selected device without pause until asked to stop, runs
// the power and variable-speed senses when their conditions last (the variable-speed one also
// as soon as a motion begins), and tells the notify window when something changed. It works
// on the module-wide flags and the transport object.
class DefVtrCmd : public QThread {
public:
    explicit DefVtrCmd(QuobVtr& vtr);
    ~DefVtrCmd() override;

protected:
    void run() override; // the thread body (Execute)

private:
    QuobVtr& vtr_;
};

} // namespace vantrel
