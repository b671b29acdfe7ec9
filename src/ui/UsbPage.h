#pragma once
// The device-list page: the attached adapters, the refresh button, the search
// notice, the status line and the progress of the device-change wait.

#include <QWidget>

#include <optional>

class D2xxLayer;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

class UsbPage : public QWidget {
    Q_OBJECT
  public:
    struct Row {
        QString description;
        QString serialNumber;
    };

    explicit UsbPage(QWidget *parent = nullptr);

    // Rebuilds the list from the adapter layer's device list.
    void RefreshDeviceList(D2xxLayer &ft);
    // The first selected row, if any.
    std::optional<Row> selectedRow() const;
    int rowCount() const;

    QTableWidget *ListView1;
    QPushButton *Button1;
    QLabel *Label1;
    // Under Label1: the adapter is open, yet the instrument keeps silent.
    QLabel *SilenceHint;
    QLabel *Panel1;
    QProgressBar *ProgressBar1;

  signals:
    // A double-click anywhere on the list, on a row or not.
    void listDoubleClicked();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
