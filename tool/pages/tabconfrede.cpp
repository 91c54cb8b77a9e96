#include "tabconfrede.h"

#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "../confrede.h"
#include "../contexto.h"

namespace {

// Column values by box position.
const QStringList kTipoInter = {QStringLiteral("ETHE"), QStringLiteral("WIFI")};
const QStringList kSeg = {QStringLiteral("NONE"), QStringLiteral("WEP"), QStringLiteral("WPA-PERS"), QStringLiteral("WPA PROF")};
const QStringList kTipoLan = {QStringLiteral("DHCP"), QStringLiteral("IPFIX")};

// The page's fields have no limit of their own.
QLineEdit *Campo(QWidget *pai, const char *nome, bool senha = false) {
  auto *e = new QLineEdit(pai);
  e->setObjectName(QString::fromLatin1(nome));
  SemLimite(e);
  if (senha) CampoSenha(e);
  return e;
}

QComboBox *Caixa(QWidget *pai, const char *nome, const QStringList &itens) {
  auto *c = new QComboBox(pai);
  c->setObjectName(QString::fromLatin1(nome));
  c->addItems(itens);
  return c;
}

void Habilita(std::initializer_list<QWidget *> controles, bool sim) {
  for (QWidget *w : controles) w->setEnabled(sim);
}

// The column value of a box position; a box without a position keeps the column's value.
void GravaCaixa(TParametros &cds, const char *coluna, const QComboBox *caixa, const QStringList &valores) {
  const int p = caixa->currentIndex();
  if (p >= 0 && p < valores.size()) cds.DefineTexto(QString::fromLatin1(coluna), valores[p]);
}

}  // namespace

TabConfRede::TabConfRede(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabConfRede"), QStringLiteral("CONFIGURAÇÕES DE REDE"), QString(), pai) {
  CbotipoInter = Caixa(this, "CbotipoInter", {QStringLiteral("ETHERNET")});
  CbotipoLan = Caixa(this, "CbotipoLan", {QStringLiteral("DHCP"), QStringLiteral("IP FIXO")});
  EdtlanIP = Campo(this, "EdtlanIP");
  EdtlanMask = Campo(this, "EdtlanMask");
  EdtlanGW = Campo(this, "EdtlanGW");
  EdtlanDNS1 = Campo(this, "EdtlanDNS1");
  EdtlanDNS2 = Campo(this, "EdtlanDNS2");
  cboProxy = Caixa(this, "cboProxy", {QStringLiteral("NENHUM"), QStringLiteral("COM CONFIGURAÇÃO"), QStringLiteral("TRANSPARENTE")});
  Edtproxy_ip = Campo(this, "Edtproxy_ip");
  Edtproxy_porta = Campo(this, "Edtproxy_porta");
  Edtproxy_user = Campo(this, "Edtproxy_user");
  // Start-up step: the password fields of this page mask their input.
  Edtproxy_senha = Campo(this, "Edtproxy_senha", true);
  LblEdtCodRede = Campo(this, "LblEdtCodRede", true);
  EdtSSID = Campo(this, "EdtSSID");
  Cboseg = Caixa(this, "Cboseg", {QStringLiteral("NONE"), QStringLiteral("WEP"), QStringLiteral("WPA PERSONAL"), QStringLiteral("WPA ENTERPRISE")});
  Edtcod = Campo(this, "Edtcod", true);
  Edtusuario = Campo(this, "Edtusuario");
  Edtsenha = Campo(this, "Edtsenha", true);

  auto *grade = new QGridLayout;
  const auto linha = [&](int l, int col, const QString &rotulo, QWidget *campo) {
    auto *r = new QLabel(rotulo, this);
    r->setBuddy(campo);
    grade->addWidget(r, l, col * 2);
    grade->addWidget(campo, l, col * 2 + 1);
    return r;
  };
  linha(0, 0, QStringLiteral("Interface:"), CbotipoInter);
  linha(1, 0, QStringLiteral("Tipo de Rede:"), CbotipoLan);
  linha(2, 0, QStringLiteral("IP:"), EdtlanIP);
  linha(3, 0, QStringLiteral("Mascara de Rede:"), EdtlanMask);
  linha(4, 0, QStringLiteral("Gateway:"), EdtlanGW);
  linha(5, 0, QStringLiteral("DNS Primário:"), EdtlanDNS1);
  linha(6, 0, QStringLiteral("DNS Secundário:"), EdtlanDNS2);
  linha(0, 1, QStringLiteral("Proxy:"), cboProxy);
  linha(1, 1, QStringLiteral("IP do Proxy:"), Edtproxy_ip);
  linha(2, 1, QStringLiteral("Porta do Proxy:"), Edtproxy_porta);
  linha(3, 1, QStringLiteral("Usuário do Proxy:"), Edtproxy_user);
  linha(4, 1, QStringLiteral("Senha do Proxy:"), Edtproxy_senha);
  // The Wi-Fi and PPPoE controls exist but are not shown.
  QList<QLabel *> ocultos;
  ocultos << linha(7, 0, QStringLiteral("SSID:"), EdtSSID);
  LblSeg = linha(8, 0, QStringLiteral("Segurança:"), Cboseg);
  ocultos << LblSeg << linha(9, 0, QStringLiteral("Senha WiFi:"), Edtcod);
  ocultos << linha(7, 1, QStringLiteral("Usuário de acesso:"), Edtusuario);
  ocultos << linha(8, 1, QStringLiteral("Senha de acesso:"), Edtsenha);
  for (QLabel *r : ocultos) r->setVisible(false);
  for (QWidget *w : std::initializer_list<QWidget *>{EdtSSID, Cboseg, Edtcod, Edtusuario, Edtsenha}) w->setVisible(false);
  // A full address (255.255.255.255) stays readable in every address field.
  const int larguraEndereco = fontMetrics().horizontalAdvance(QStringLiteral("255.255.255.255")) + 16;
  for (QLineEdit *e : {EdtlanIP, EdtlanMask, EdtlanGW, EdtlanDNS1, EdtlanDNS2, Edtproxy_ip}) {
    e->setMinimumWidth(larguraEndereco);
  }
  grade->setHorizontalSpacing(10);
  Corpo()->addLayout(grade);
  // The code's long label on a row of its own, so that it does not squeeze the columns above.
  auto *linhaCodigo = new QHBoxLayout;
  auto *rotuloCodigo = new QLabel(QStringLiteral("Digite o Código de Ativação do SAT:"), this);
  rotuloCodigo->setBuddy(LblEdtCodRede);
  linhaCodigo->addWidget(rotuloCodigo);
  linhaCodigo->addWidget(LblEdtCodRede, 1);
  Corpo()->addLayout(linhaCodigo);

  BitBtn4 = new QPushButton(QStringLiteral("Enviar ao SAT"), this);
  BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
  DefineBotaoPadrao(BitBtn4);
  connect(BitBtn4, &QPushButton::clicked, this, &TabConfRede::Enviar);
  auto *botoes = new QHBoxLayout;
  botoes->addStretch();
  botoes->addWidget(BitBtn4);
  Corpo()->addLayout(botoes);
  Corpo()->addStretch();

  connect(CbotipoInter, &QComboBox::activated, this, &TabConfRede::ReageInterface);
  connect(Cboseg, &QComboBox::activated, this, &TabConfRede::ReageSeguranca);
  connect(CbotipoLan, &QComboBox::activated, this, &TabConfRede::ReageTipoLan);
  connect(cboProxy, &QComboBox::activated, this, &TabConfRede::ReageProxy);
}

void TabConfRede::ReageInterface() {
  Habilita({EdtSSID, Cboseg, Edtcod, LblSeg}, CbotipoInter->currentIndex() != 0);
}

void TabConfRede::ReageSeguranca() {
  const int p = Cboseg->currentIndex();
  if (p == 0) Edtcod->setEnabled(false);
  else if (p >= 1 && p <= 3) Edtcod->setEnabled(true);
}

void TabConfRede::ReageTipoLan() {
  const int p = CbotipoLan->currentIndex();
  if (p < 0) return;
  Habilita({EdtlanIP, EdtlanMask, EdtlanGW, EdtlanDNS1, EdtlanDNS2}, p == 1);
  Habilita({Edtusuario, Edtsenha}, false);
}

void TabConfRede::ReageProxy() {
  const int p = cboProxy->currentIndex();
  if (p < 0) return;
  Habilita({Edtproxy_ip, Edtproxy_porta, Edtproxy_user, Edtproxy_senha}, p == 1);
}

void TabConfRede::AoEntrar() {
  QString proxy;
  try {
    TParametros &cds = ctx.cds;
    cds.Abre();
    const auto texto = [&](const char *coluna) { return cds.Texto(QString::fromLatin1(coluna)); };
    CbotipoInter->setCurrentIndex(texto("tipoInter") == u"ETHE" ? 0 : -1);
    EdtSSID->setText(texto("SSID"));
    const int seg = kSeg.indexOf(texto("seg"));
    if (seg >= 0) Cboseg->setCurrentIndex(seg);
    Edtcod->setText(texto("codigo"));
    const int lan = kTipoLan.indexOf(texto("tipoLan"));
    if (lan >= 0) CbotipoLan->setCurrentIndex(lan);
    EdtlanIP->setText(texto("lanIP"));
    EdtlanMask->setText(texto("lanMask"));
    EdtlanGW->setText(texto("lanGW"));
    EdtlanDNS1->setText(texto("lanDNS1"));
    EdtlanDNS2->setText(texto("lanDNS2"));
    Edtusuario->setText(texto("usuario"));
    Edtsenha->setText(texto("senha"));
    proxy = texto("proxy");
    Edtproxy_ip->setText(texto("proxy_ip"));
    Edtproxy_porta->setText(texto("proxy_porta"));
    Edtproxy_user->setText(texto("proxy_user"));
    Edtproxy_senha->setText(texto("proxy_senha"));
  } catch (const ErroDados &e) {
    ctx.Mensagem(e.texto);
    return;
  }
  // A proxy position the box does not have leaves it without one; the page stays usable.
  bool numero = false;
  const int posicao = proxy.toInt(&numero);
  cboProxy->setCurrentIndex(numero && posicao >= 0 && posicao < cboProxy->count() ? posicao : -1);
  ReageInterface();
  ReageSeguranca();
  ReageTipoLan();
  ReageProxy();
  if (!numero) {
    ctx.Mensagem(QStringLiteral("O proxy guardado em Parametros.xml (\"%1\") não é um número. Escolha o proxy.").arg(proxy));
  }
}

void TabConfRede::Grava() {
  TParametros &cds = ctx.cds;
  cds.Abre();
  cds.Edita();
  const auto texto = [&](const char *coluna, const QLineEdit *campo) {
    cds.DefineTexto(QString::fromLatin1(coluna), campo->text());
  };
  GravaCaixa(cds, "tipoInter", CbotipoInter, kTipoInter);
  texto("SSID", EdtSSID);
  GravaCaixa(cds, "seg", Cboseg, kSeg);
  texto("codigo", Edtcod);
  GravaCaixa(cds, "tipoLan", CbotipoLan, kTipoLan);
  texto("lanIP", EdtlanIP);
  texto("lanMask", EdtlanMask);
  texto("lanGW", EdtlanGW);
  texto("lanDNS1", EdtlanDNS1);
  texto("lanDNS2", EdtlanDNS2);
  texto("usuario", Edtusuario);
  texto("senha", Edtsenha);
  cds.DefineInteiro(QStringLiteral("proxy"), cboProxy->currentIndex());  // Enviar made sure there is one
  texto("proxy_ip", Edtproxy_ip);
  texto("proxy_porta", Edtproxy_porta);
  texto("proxy_user", Edtproxy_user);
  texto("proxy_senha", Edtproxy_senha);
  cds.Posta();
}

bool TabConfRede::ValoresCabem() {
  for (QLineEdit *campo : {EdtSSID, Edtcod, EdtlanIP, EdtlanMask, EdtlanGW, EdtlanDNS1, EdtlanDNS2, Edtusuario, Edtsenha,
                           Edtproxy_ip, Edtproxy_porta, Edtproxy_user, Edtproxy_senha}) {
    const QString fora = TParametros::ForaDoConjunto(campo->text());
    if (fora.isEmpty()) continue;
    QString nome = campo->objectName();
    for (const QLabel *r : findChildren<QLabel *>()) {
      if (r->buddy() == campo) nome = r->text().remove(u':');
    }
    ctx.Mensagem(QStringLiteral("O campo \"%1\" tem caracteres que não podem ser guardados nem enviados ao SAT: %2")
                     .arg(nome, fora));
    if (campo->isVisible() && campo->isEnabled()) campo->setFocus();
    return false;
  }
  return true;
}

void TabConfRede::Enviar() {
  if (!CodigoValido(LblEdtCodRede->text())) {
    ctx.Mensagem(MensagemCodigoCurto());
    LblEdtCodRede->clear();
    return;
  }
  // A stored proxy value that the box cannot show must not reach the device.
  if (cboProxy->currentIndex() < 0) {
    ctx.Mensagem(QStringLiteral("Escolha uma opção em \"Proxy:\"."));
    cboProxy->setFocus();
    return;
  }
  // Stored as "?", such a value would reach the device changed without a word.
  if (!ValoresCabem()) return;
  const QString arquivo = ctx.ArquivoGravavel(QStringLiteral("ConfRede.xml"));
  QString documento;
  try {
    Grava();
    documento = geraxml(ctx.cds);
  } catch (const ErroDados &e) {
    ctx.cds.Cancela();
    ctx.Mensagem(e.texto);
    return;
  }
  {
    QSaveFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly) || f.write(ArquivoConfRede(documento)) < 0 || !f.commit()) {
      // An earlier ConfRede.xml left in place would be sent as if it held these settings.
      ctx.Mensagem(QStringLiteral("Erro ao tentar acessar o arquivo ConfRede.xml!"));
      return;
    }
  }
  if (!QFile::exists(arquivo)) {
    ctx.Mensagem(QStringLiteral("Arquivo ConfRede.xml não foi encontrado!"));
    return;
  }
  QFile f(arquivo);
  if (!f.open(QIODevice::ReadOnly)) {
    ctx.Mensagem(QStringLiteral("Erro ao tentar acessar o arquivo ConfRede.xml!"));
    return;
  }
  const QByteArray enviado = JuntaLinhas(f.readAll());
  f.close();
  if (!ctx.ChamaDriver(ctx.driver.ConfigurarInterfaceDeRede, LblEdtCodRede->text(), enviado)) return;
  // The reply goes to the status bar after the SEFAZ window.
  ctx.mostrastatus(QByteArray());
  try {
    const QByteArray mensagem = ctx.CampoTexto(2).size() == 4 ? ctx.Campo(3) : ctx.Campo(2);
    ctx.Mensagem(TextoDoDriver(ctx.Campo(1) + ": " + mensagem));
  } catch (const CampoAusente &) {
  }
  ctx.MostraMSefaz();
  ctx.LiberaCampos();
  ctx.mostrastatus(ctx.estado.UltimaResposta);
  LblEdtCodRede->clear();
}
