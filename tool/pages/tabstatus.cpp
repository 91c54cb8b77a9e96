#include "tabstatus.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

#include "../contexto.h"
#include "../valida.h"

namespace {

enum class Formato { Recebido, DataHora, Data, Estado };

struct CampoStatus {
  const char *nome;
  Formato formato;
};

// Positions 5 to 27 of the reply.
constexpr CampoStatus kCampos[] = {
    {"NSERIE", Formato::Recebido},          {"TIPO_LAN", Formato::Recebido},
    {"LAN_IP", Formato::Recebido},          {"LAN_MAC", Formato::Recebido},
    {"LAN_MASK", Formato::Recebido},        {"LAN_GW", Formato::Recebido},
    {"LAN_DNS_1", Formato::Recebido},       {"LAN_DNS_2", Formato::Recebido},
    {"STATUS_LAN", Formato::Recebido},      {"NIVEL_BATERIA", Formato::Recebido},
    {"MT_TOTAL", Formato::Recebido},        {"MT_USADA", Formato::Recebido},
    {"DH_ATUAL", Formato::DataHora},        {"VER_SB", Formato::Recebido},
    {"VER_LAYOUT", Formato::Recebido},      {"ULTIMO_CF-E-SAT", Formato::Recebido},
    {"LISTA_INICIAL", Formato::Recebido},   {"LISTA_FINAL", Formato::Recebido},
    {"DH_CFe", Formato::DataHora},          {"DH_ULTIMA", Formato::DataHora},
    {"CERT_EMISSAO", Formato::Data},        {"CERT_VENCIMENTO", Formato::Data},
    {"ESTADO_OPERACAO", Formato::Estado},
};
constexpr int kPrimeiraPosicao = 5;

const char *const kEstados[] = {"DESBLOQUEADO", "BLOQUEIO SEFAZ", "BLOQUEIO CONTRIBUINTE", "BLOQUEIO AUTONOMO",
                                "BLOQUEIO PARA DESATIVACAO"};

// Characters from position de to ate, counted from 1; a short value gives short parts.
QString Trecho(const QString &v, int de, int ate) { return v.mid(de - 1, ate - de + 1); }

QString Data(const QString &v) {
  return Trecho(v, 7, 8) + u'/' + Trecho(v, 5, 6) + u'/' + Trecho(v, 1, 4);
}

QString DataHora(const QString &v) {
  return Data(v) + QStringLiteral(" - ") + Trecho(v, 9, 10) + u':' + Trecho(v, 11, 12) + u':' + Trecho(v, 13, 14);
}

// Nothing when the value is not a number: the listing ends there.
std::optional<QString> Estado(const QString &v) {
  bool numero = false;
  const int e = v.toInt(&numero);
  if (!numero) return std::nullopt;
  if (e >= 0 && e < static_cast<int>(std::size(kEstados))) return QString::fromUtf8(kEstados[e]);
  return v;  // a state the table does not name
}

std::optional<QString> Valor(const CampoStatus &c, const QByteArray &campo) {
  const QString v = TextoDoDriver(campo);
  switch (c.formato) {
    case Formato::DataHora: return DataHora(v);
    case Formato::Data: return Data(v);
    case Formato::Estado: return Estado(v);
    case Formato::Recebido: break;
  }
  return v;
}

}  // namespace

QStringList ListagemStatus(const QList<QByteArray> &campos) {
  QStringList linhas{QStringLiteral(" ")};
  const qsizetype ultima = std::min<qsizetype>(campos.size(), kPrimeiraPosicao + std::size(kCampos));
  for (qsizetype p = kPrimeiraPosicao; p < ultima; ++p) {
    const CampoStatus &c = kCampos[p - kPrimeiraPosicao];
    const QString nome = QString::fromLatin1(c.nome);
    const std::optional<QString> valor = Valor(c, campos[p]);
    if (!valor) break;  // ends silently; the lines listed so far stay
    linhas << u' ' + nome + u' ' + QString(17 - nome.size(), u'.') + u' ' + *valor;
  }
  return linhas;
}

TabStatus::TabStatus(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabStatus"), QStringLiteral("STATUS OPERACIONAL"), QString(), pai) {
  MemoStatus = new QPlainTextEdit(this);
  MemoStatus->setObjectName(QStringLiteral("MemoStatus"));
  MemoStatus->setReadOnly(true);
  MemoStatus->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  MemoStatus->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoStatus->setAccessibleName(QStringLiteral("Status operacional"));
  Corpo()->addWidget(MemoStatus, 1);

  EdtCodAtiv4 = CampoCodigoSemLimite(this, "EdtCodAtiv4");
  EdtCodAtiv4->setVisible(false);
  auto *rotulo = new QLabel(QStringLiteral("Código de Ativação:"), this);
  rotulo->setBuddy(EdtCodAtiv4);
  rotulo->setVisible(false);
  BtnStatus = new QPushButton(QStringLiteral("Solicitar Status"), this);
  BtnStatus->setObjectName(QStringLiteral("BtnStatus"));
  BtnStatus->setVisible(false);
  connect(BtnStatus, &QPushButton::clicked, this, &TabStatus::SolicitarStatus);
}

void TabStatus::AcionadaPeloMenu(const QString &) {
  ctx.estado.CodigoValidado.clear();
  MemoStatus->clear();
  ctx.mostrastatus(QByteArray());
  ctx.valida->Mostra();
  ctx.MostraPagina(this);
  if (ctx.estado.DialogoCancelado) return;
  BtnStatus->click();
}

void TabStatus::SolicitarStatus() {
  EdtCodAtiv4->setText(ctx.estado.CodigoValidado);
  if (!CodigoValido(EdtCodAtiv4->text())) {
    ctx.Mensagem(QStringLiteral("Novo código de ativação deve ter no mínimo 8 caracteres."));
    return;
  }
  if (!ctx.ChamaDriver(ctx.driver.ConsultarStatusOperacional, Apara(EdtCodAtiv4->text()))) return;
  try {
    if (ctx.Campo(1) != "10000") {
      ctx.Mensagem(ctx.MensagemResposta());
    } else {
      MemoStatus->setPlainText(ListagemStatus(ctx.estado.CamposResposta).join(u'\n'));
    }
  } catch (const CampoAusente &) {
    // A reply without a return code or message: nothing to show.
  }
  ctx.MostraMSefaz();
  ctx.LiberaCampos();
}
