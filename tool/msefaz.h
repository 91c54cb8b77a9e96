// TFMSefaz: the window that shows the SEFAZ code and message of a reply.
#pragma once

#include <QDialog>

class QPlainTextEdit;

class TFMSefaz : public QDialog {
  Q_OBJECT
 public:
  explicit TFMSefaz(QWidget *pai = nullptr);
  QPlainTextEdit *MemoSefaz;
 protected:
  void showEvent(QShowEvent *evento) override;
};
