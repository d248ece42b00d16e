#pragma once

#include <QDialog>

class QLabel;

namespace signin {

// The loading notice the main window shows while a sheet loads.
class TForm4 : public QDialog {
    Q_OBJECT

  public:
    explicit TForm4(QWidget* parent = nullptr);

    QLabel* Label1;
};

}  // namespace signin
