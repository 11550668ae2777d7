#pragma once
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

namespace vantrel {

// A radio group: a framed caption over a column of radio buttons, one of which is chosen.
// The toolkit has only loose radio buttons in a group box; windows need the group as one
// control whose items are texts and whose choice is an index, localised apart from plain
// group boxes.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const;
    // The chosen item, -1 when none is.
    int itemIndex() const;
    void setItemIndex(int index);

signals:
    void itemClicked(int index);

private:
    QButtonGroup* buttons_;
    QVBoxLayout* layout_;
};

} // namespace vantrel
