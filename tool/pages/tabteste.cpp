#include "tabteste.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "../cfe.h"
#include "../contexto.h"
#include "../fimafim.h"
#include "../valida.h"

namespace {

QPushButton *Botao(QWidget *pai, const char *nome, const QString &legenda) {
  auto *b = new QPushButton(legenda, pai);
  b->setObjectName(QString::fromLatin1(nome));
  return b;
}

}  // namespace

TabTeste::TabTeste(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabTeste"), QString(), QStringLiteral("Panel4"), pai) {
  Panel4 = Cabecalho();

  BtnTesteProducao = Botao(this, "BtnTesteProducao", QStringLiteral("FimAFim Produção"));
  BtnTesteAtivacao = Botao(this, "BtnTesteAtivacao", QStringLiteral("FimAFim Ativação"));
  BtnSessao = Botao(this, "BtnSessao", QStringLiteral("Consulta Sessão"));
  BtnSessaoFiscal = Botao(this, "BtnSessaoFiscal", QStringLiteral("Consulta Sessão Fiscal"));
  BtnNaveg = Botao(this, "BtnNaveg", QStringLiteral("Abrir no Navegador"));
  connect(BtnTesteProducao, &QPushButton::clicked, this, [this] { TesteFimAFim(true); });
  connect(BtnTesteAtivacao, &QPushButton::clicked, this, [this] { TesteFimAFim(false); });
  connect(BtnSessao, &QPushButton::clicked, this, &TabTeste::ConsultaSessao);
  connect(BtnSessaoFiscal, &QPushButton::clicked, this, &TabTeste::ConsultaSessaoFiscal);
  connect(BtnNaveg, &QPushButton::clicked, this, &TabTeste::AbreNavegador);

  auto *botoes = new QGridLayout;
  botoes->addWidget(BtnTesteProducao, 0, 0);
  botoes->addWidget(BtnTesteAtivacao, 0, 1);
  botoes->addWidget(BtnNaveg, 0, 2);
  botoes->addWidget(BtnSessao, 1, 0);
  botoes->addWidget(BtnSessaoFiscal, 1, 1);

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
  botoes->addLayout(linha, 1, 2);
  Corpo()->addLayout(botoes);

  MemoCFe = new QPlainTextEdit(this);
  MemoCFe->setObjectName(QStringLiteral("MemoCFe"));
  MemoCFe->setReadOnly(true);
  MemoCFe->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  MemoCFe->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoCFe->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoCFe->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoCFe->setAccessibleName(QStringLiteral("CFe"));
  Corpo()->addWidget(MemoCFe, 1);
}

void TabTeste::AcionadaPeloMenu(const QString &) {
  Panel4->clear();
  MemoCFe->clear();
  BtnNaveg->setEnabled(false);
  ctx.mostrastatus(QByteArray());
  ctx.MostraPagina(this);
}

void TabTeste::Adiciona(const QString &linha) { MemoCFe->appendPlainText(linha); }

void TabTeste::MostraDoInicio() {
  // Each line added scrolls to the end; the CFe is read from its start.
  MemoCFe->moveCursor(QTextCursor::Start);
  MemoCFe->ensureCursorVisible();
}

bool TabTeste::PedeCodigo(const QString &cabecalho) {
  ctx.estado.CodigoValidado.clear();
  MemoCFe->clear();
  ctx.valida->Mostra();
  if (ctx.estado.DialogoCancelado) return false;
  Panel4->setText(cabecalho);
  if (!CodigoValido(ctx.estado.CodigoValidado)) {
    ctx.Mensagem(MensagemCodigoCurto());
    return false;
  }
  return true;
}

void TabTeste::ConsultaSessao() {
  if (!PedeCodigo(QStringLiteral("CONSULTAR NÚMERO DE SESSÃO"))) return;
  const QString consultada = Apara(Edit1->text());
  if (consultada.isEmpty()) {
    ctx.Mensagem(QStringLiteral("Número de sessão consultada inválida."));
    return;
  }
  if (!ctx.ChamaDriver(ctx.driver.ConsultarNumeroSessao, ctx.estado.CodigoValidado, consultada.toInt())) return;
  AvaliaConsulta();
  ctx.LiberaCampos();
  MostraDoInicio();
}

void TabTeste::ConsultaSessaoFiscal() {
  if (!PedeCodigo(QStringLiteral("CONSULTAR ÚLTIMA SESSÃO FISCAL"))) return;
  if (!ctx.ChamaDriver(ctx.driver.ConsultarUltimaSessaoFiscal, ctx.estado.CodigoValidado)) return;
  AvaliaConsulta();
  ctx.LiberaCampos();
  MostraDoInicio();
}

void TabTeste::AvaliaConsulta() {
  try {
    if (ctx.Campo(0) == ctx.estado.SessaoAtual.toLatin1()) {
      // The reply carries the look-up's own session: the look-up failed.
      ctx.Mensagem(ctx.MensagemResposta());
      return;
    }
    // The stored reply of the looked-up session.
    Adiciona(Separador());
    Adiciona(TextoDoDriver(ctx.estado.UltimaResposta));
    if (ctx.Campo(1) == "06000") {
      const QString sessao = ctx.CampoTexto(0);
      const QString chave = ctx.CampoTexto(8);
      const auto cfe = DecodificaBase64(CFeDaRespostaDeVenda(ctx.estado.UltimaResposta));
      if (!cfe) return;  // not Base64: the evaluation ends here
      ctx.estado.CamposResposta = DivideLinhas(*cfe);
      Adiciona(Separador());
      Adiciona(QStringLiteral("Sessão: ") + sessao);
      Adiciona(QStringLiteral("Chave: ") + chave);
      Adiciona(Separador());
      for (const QByteArray &l : ctx.estado.CamposResposta) Adiciona(TextoDoDriver(l));
      Adiciona(Separador());
    }
    // The decoded CFe's bytes, or the reply's fields, one per line.
    GravaLinhasCRLF(ctx.ArquivoPrograma(QStringLiteral("CFe.xml")), ctx.estado.CamposResposta);
  } catch (const CampoAusente &) {
    // A reply too short for what is read: what was shown stays, no file.
  }
}

void TabTeste::AbreNavegador() {
  const QString arquivo = ctx.ArquivoPrograma(QStringLiteral("CFe.xml"));
  if (!QFile::exists(arquivo) || MemoCFe->toPlainText().isEmpty()) return;
  if (!ctx.dialogos.OpenURL(arquivo)) {
    ctx.Mensagem(QStringLiteral("Não foi possível abrir o arquivo %1: nenhum navegador ou programa para abri-lo foi "
                                "encontrado.")
                     .arg(QDir::toNativeSeparators(arquivo)));
  }
}

void TabTeste::TesteFimAFim(bool producao) {
  ctx.estado.CodigoValidado.clear();
  MemoCFe->clear();
  ctx.valida->Mostra();
  if (ctx.estado.DialogoCancelado) return;
  if (!CodigoValido(ctx.estado.CodigoValidado)) {
    ctx.Mensagem(MensagemCodigoCurto());
    return;
  }
  Panel4->setText(producao ? QStringLiteral("FIM-A-FIM PRODUÇÃO") : QStringLiteral("FIM-A-FIM ATIVAÇÃO"));
  TFFimAFim &janela = *ctx.fimafim;
  try {
    ctx.cds.Abre();
    janela.HabilitaProducao(producao);
    janela.Mostra(ctx.estado, ctx.cds, ctx.dialogos);
  } catch (const ErroDados &e) {
    ctx.Mensagem(e.texto);
    return;
  }
  if (ctx.estado.DialogoCancelado) return;

  const QString contribuinte = janela.CNPJContribuinte();
  if (producao) {
    const struct {
      bool vazio;
      const char *mensagem;
    } checagens[] = {
        {contribuinte.isEmpty(), "CNPJ do Contribuinte inválido."},
        {janela.IEContribuinte().isEmpty(), "IE do Contribuinte inválido."},
        {janela.CNPJSoftwareHouse().isEmpty(), "CNPJ da Software House inválido."},
        {janela.Assinatura().isEmpty(), "Assinatura não pode estar em branco."},
    };
    for (const auto &c : checagens) {
      if (c.vazio) {
        ctx.Mensagem(QString::fromUtf8(c.mensagem));
        return;
      }
    }
  } else if (!isCNPJ(contribuinte)) {
    ctx.Mensagem(QStringLiteral("CNPJ do Contribuinte inválido."));
    return;
  }

  const QString venda = XmlVendaTeste(producao, contribuinte, janela.IEContribuinte(), janela.CNPJSoftwareHouse(),
                                      janela.Assinatura());
  if (!ctx.ChamaDriver(ctx.driver.TesteFimAFim, ctx.estado.CodigoValidado, venda)) return;
  AvaliaTeste();
  ctx.LiberaCampos();
  MostraDoInicio();
}

void TabTeste::AvaliaTeste() {
  const QString arquivo = ctx.ArquivoPrograma(QStringLiteral("CFe.xml"));
  const auto &campos = ctx.estado.CamposResposta;
  const bool sucesso = campos.size() > 1 && campos[1] == "09000";
  if (!sucesso) {
    // Also after a reply too short to read: the CFe of an earlier test is never offered again.
    QFile::remove(arquivo);
    try {
      ctx.Mensagem(ctx.MensagemResposta());
    } catch (const CampoAusente &) {
    }
    ctx.MostraMSefaz();
    return;
  }
  try {
    ctx.Mensagem(ctx.MensagemResposta());
    ctx.MostraMSefaz();
    const auto cfe = DecodificaBase64(ctx.Campo(5));
    if (!cfe) return;  // not Base64: the evaluation ends here
    ctx.estado.CamposResposta = DivideLinhas(*cfe);
    QStringList texto;
    for (const QByteArray &l : ctx.estado.CamposResposta) texto << QString::fromUtf8(l);
    Adiciona(Separador());
    // The memo ends its own lines: CR LF becomes one line break.
    Adiciona(FormatXMLString(texto.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).remove(u'\r').chopped(1));
    Adiciona(Separador());
    QList<QByteArray> linhas;
    for (const QString &l : texto) linhas << TextoParaDriver(l);  // the 8-bit code page
    if (GravaLinhasCRLF(arquivo, linhas)) BtnNaveg->setEnabled(true);
  } catch (const CampoAusente &) {
  } catch (const ErroXml &) {
    // Not XML: the separator stays, the file is not written.
  }
}
