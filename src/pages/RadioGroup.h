#pragma once
// A captioned group of radio buttons, one item chosen or none. Items are laid
// out top to bottom over the group's height.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroup(const char *name, const QString &caption, const QStringList &items, QWidget *parent);

    // -1 while no item is chosen.
    int itemIndex() const;
    void setItemIndex(int index);
    QStringList items() const;

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    QButtonGroup *buttons_;
};
