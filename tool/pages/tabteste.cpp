#include "tabteste.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TabTeste::TabTeste(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabTeste"), QString(), QStringLiteral("Panel4"), pai) {
  Panel4 = Cabecalho();

  auto *linha = new QHBoxLayout;
  auto *rotulo = new QLabel(QStringLiteral("Sessão:"), this);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setMaxLength(6);
  Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), Edit1));
  Edit1->setFixedWidth(90);
  rotulo->setBuddy(Edit1);
  linha->addWidget(rotulo);
  linha->addWidget(Edit1);
  linha->addStretch();
  Corpo()->addLayout(linha);
  Corpo()->addStretch();
}
