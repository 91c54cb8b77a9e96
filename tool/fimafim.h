// TFFimAFim: the parameters of the end-to-end tests.
#pragma once

#include <QDialog>

class TFFimAFim : public QDialog {
  Q_OBJECT
 public:
  explicit TFFimAFim(QWidget *pai = nullptr);
};
