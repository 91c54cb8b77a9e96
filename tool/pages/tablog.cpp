#include "tablog.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "../cfe.h"
#include "../contexto.h"
#include "../superlog.h"
#include "../valida.h"

TabLog::TabLog(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabLog"), QStringLiteral("EXTRAÇÃO DOS LOGS"), QStringLiteral("Panel11"), pai) {
  Panel11 = Cabecalho();
  Panel11->setProperty("Tag", 0);

  EdtCodAtiv5 = CampoCodigoSemLimite(this, "EdtCodAtiv5");
  EdtCodAtiv5->setVisible(false);
  auto *rotuloCodigo = new QLabel(QStringLiteral("Código de Ativação:"), this);
  rotuloCodigo->setBuddy(EdtCodAtiv5);
  rotuloCodigo->setVisible(false);
  BtnLogs = new QPushButton(QStringLiteral("Extrair Logs"), this);
  BtnLogs->setObjectName(QStringLiteral("BtnLogs"));
  BtnLogs->setVisible(false);
  connect(BtnLogs, &QPushButton::clicked, this, &TabLog::Extrair);

  MemoLogs = new QPlainTextEdit(this);
  MemoLogs->setObjectName(QStringLiteral("MemoLogs"));
  MemoLogs->setReadOnly(true);
  MemoLogs->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  MemoLogs->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoLogs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoLogs->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoLogs->setAccessibleName(QStringLiteral("Log do SAT"));
  Corpo()->addWidget(MemoLogs, 1);

  auto *linha = new QHBoxLayout;
  auto *rotulo = new QLabel(QStringLiteral("Salvar em:"), this);
  EdtLogs = new QLineEdit(this);
  EdtLogs->setObjectName(QStringLiteral("EdtLogs"));
  SemLimite(EdtLogs);
  rotulo->setBuddy(EdtLogs);
  BtnLog1 = new QPushButton(QStringLiteral("..."), this);
  BtnLog1->setObjectName(QStringLiteral("BtnLog1"));
  BtnLog1->setAccessibleName(QStringLiteral("Escolher arquivo"));
  BtnLog1->setFixedWidth(32);
  BtnLog2 = new QPushButton(QStringLiteral("Salvar"), this);
  BtnLog2->setObjectName(QStringLiteral("BtnLog2"));
  linha->addWidget(rotulo);
  linha->addWidget(EdtLogs, 1);
  linha->addWidget(BtnLog1);
  linha->addWidget(BtnLog2);
  Corpo()->addLayout(linha);
  connect(BtnLog1, &QPushButton::clicked, this, &TabLog::Procura);
  connect(BtnLog2, &QPushButton::clicked, this, &TabLog::Salva);
}

void TabLog::DefineModo(int m, const QString &cabecalho) {
  modo = m;
  Panel11->setProperty("Tag", m);
  Panel11->setText(cabecalho);
}

void TabLog::AcionadaPeloMenu(const QString &botao) {
  ctx.estado.CodigoValidado.clear();
  MemoLogs->clear();
  ctx.mostrastatus(QByteArray());
  ctx.valida->Mostra();
  ctx.MostraPagina(this);
  if (botao == u"BitSuperLog") DefineModo(2, QStringLiteral("SuperLog NORVI"));
  else DefineModo(1, QStringLiteral("EXTRAÇÃO DOS LOGS"));
  if (ctx.estado.DialogoCancelado) return;
  BtnLogs->click();
}

void TabLog::Extrair() {
  EdtCodAtiv5->setText(ctx.estado.CodigoValidado);
  const QString codigo = Apara(EdtCodAtiv5->text());
  if (!CodigoValido(codigo)) {
    ctx.Mensagem(MensagemCodigoCurto());
    return;
  }
  MemoLogs->clear();
  if (!ctx.ChamaDriver(ctx.driver.ExtrairLogs, codigo)) return;
  try {
    if (ctx.Campo(1) != "15000") {
      ctx.Mensagem(ctx.MensagemResposta());
    } else if (const auto log = DecodificaBase64(ctx.Campo(5))) {
      const QList<QByteArray> linhas = LinhasDoLog(*log);
      MemoLogs->setPlainText((modo == 1 ? TextoLogCompleto(linhas) : TextoSuperLog(linhas)).join(u'\n'));
      MemoLogs->moveCursor(QTextCursor::End);
      MemoLogs->ensureCursorVisible();
    }
  } catch (const CampoAusente &) {
    // A reply too short for the log: the memo stays empty.
  }
  ctx.MostraMSefaz();
  ctx.LiberaCampos();
}

void TabLog::Procura() {
  const QString nome = ctx.dialogos.SalvaArquivo(ctx.janela, QString(), QString());
  if (nome.isEmpty()) return;
  EdtLogs->clear();
  EdtLogs->setText(nome);
}

void TabLog::Salva() {
  const QString nome = EdtLogs->text();
  if (nome.isEmpty()) {
    ctx.Mensagem(QStringLiteral("O nome do arquivo não foi especificado"));
    BtnLog1->setFocus();
    return;
  }
  const QString texto = MemoLogs->toPlainText();
  QList<QByteArray> linhas;
  if (!texto.isEmpty()) {
    for (const QString &l : texto.split(u'\n')) linhas << TextoParaDriver(l);  // the 8-bit code page
  }
  if (GravaLinhasCRLF(nome, linhas)) ctx.Mensagem(QStringLiteral("Arquivo ") + nome + QStringLiteral(" salvo com sucesso"));
  else ctx.Mensagem(QStringLiteral("Erro ao tentar salvar o arquivo: ") + nome);
}
