#include "dialogos.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace {

QMessageBox::Icon IconeQt(Dialogos::Icone icone) {
  switch (icone) {
    case Dialogos::Icone::Informacao: return QMessageBox::Information;
    case Dialogos::Icone::Aviso: return QMessageBox::Warning;
    case Dialogos::Icone::Erro: return QMessageBox::Critical;
    case Dialogos::Icone::Pergunta: return QMessageBox::Question;
    case Dialogos::Icone::Nenhum: break;
  }
  return QMessageBox::NoIcon;
}

QString Titulo(const QString &titulo) {
  return titulo.isEmpty() ? QApplication::applicationDisplayName() : titulo;
}

}  // namespace

std::unique_ptr<QMessageBox> DialogosQt::Caixa(QWidget *dono, const QString &titulo, const QString &texto, Icone icone,
                                               bool comCancelar) {
  auto caixa = std::make_unique<QMessageBox>(IconeQt(icone), Titulo(titulo), QString(),
                                             comCancelar ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, dono);
  caixa->setTextFormat(Qt::PlainText);
  caixa->setText(texto);
  return caixa;
}

void DialogosQt::Mensagem(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) {
  Caixa(dono, titulo, texto, icone, false)->exec();
}

bool DialogosQt::Confirma(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) {
  return Caixa(dono, titulo, texto, icone, true)->exec() == QMessageBox::Ok;
}

QString DialogosQt::AbreArquivo(QWidget *dono, const QString &titulo, const QString &filtro) {
  return QFileDialog::getOpenFileName(dono, titulo, QString(), filtro);
}

QString DialogosQt::SalvaArquivo(QWidget *dono, const QString &titulo, const QString &filtro) {
  return QFileDialog::getSaveFileName(dono, titulo, QString(), filtro);
}

bool DialogosQt::OpenURL(const QString &alvo) {
  const QFileInfo arquivo(alvo);
  return QDesktopServices::openUrl(arquivo.exists() ? QUrl::fromLocalFile(arquivo.absoluteFilePath()) : QUrl(alvo));
}

void CentraNaTela(QWidget &janela) {
  if (const QScreen *tela = janela.screen()) {
    janela.move(tela->availableGeometry().center() - janela.frameGeometry().center() + janela.pos());
  }
}

void DialogosQt::MostraModal(QDialog &janela) { janela.exec(); }
