#include "assinatura.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "campos.h"

EntradaAssinatura::Disposicao EntradaAssinatura::CriaAssinatura(QWidget *dono, std::function<void()> procura) {
  rgAssinatura = new QGroupBox(QStringLiteral("Forma de envio:"), dono);
  rgAssinatura->setObjectName(QStringLiteral("rgAssinatura"));
  rbTexto = new QRadioButton(QStringLiteral("Texto"), rgAssinatura);
  rbTexto->setObjectName(QStringLiteral("rbTexto"));
  rbArquivo = new QRadioButton(QStringLiteral("Arquivo"), rgAssinatura);
  rbArquivo->setObjectName(QStringLiteral("rbArquivo"));
  rbTexto->setChecked(true);
  auto *lado = new QHBoxLayout(rgAssinatura);
  lado->addWidget(rbTexto);
  lado->addWidget(rbArquivo);
  lado->addStretch();
  for (QRadioButton *opcao : {rbTexto, rbArquivo}) {
    QObject::connect(opcao, &QRadioButton::toggled, dono, [this](bool marcado) {
      if (marcado) FormaDeEnvio();
    });
  }

  auto *titulo = new QLabel(QStringLiteral("Assinatura do Aplicativo Comercial:"), dono);
  LblAssinatura = new QLabel(QStringLiteral("Texto:"), dono);
  LblAssinatura->setObjectName(QStringLiteral("LblAssinatura"));
  EdtAssinatura = new QLineEdit(dono);
  EdtAssinatura->setObjectName(QStringLiteral("EdtAssinatura"));
  SemLimite(EdtAssinatura);  // a signature or a file name, taken whole
  LblAssinatura->setBuddy(EdtAssinatura);
  titulo->setBuddy(EdtAssinatura);
  Button3 = new QPushButton(QStringLiteral("..."), dono);
  Button3->setObjectName(QStringLiteral("Button3"));
  Button3->setAccessibleName(QStringLiteral("Procurar arquivo da assinatura"));
  Button3->setFixedWidth(32);
  Button3->setVisible(false);
  QObject::connect(Button3, &QPushButton::clicked, dono, std::move(procura));
  auto *linha = new QHBoxLayout;
  linha->addWidget(LblAssinatura);
  linha->addWidget(EdtAssinatura, 1);
  linha->addWidget(Button3);
  return {titulo, linha};
}

void EntradaAssinatura::FormaDeEnvio() {
  EdtAssinatura->clear();
  const bool arquivo = rbArquivo->isChecked();
  LblAssinatura->setText(arquivo ? QStringLiteral("Arquivo") : QStringLiteral("Texto"));
  Button3->setVisible(arquivo);
}
