#include "ativacao.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>

#include "figuras.h"
#include "fimafim.h"
#include "msefaz.h"
#include "painelstatus.h"
#include "pages/tabassocass.h"
#include "pages/tabativar.h"
#include "pages/tabbloq.h"
#include "pages/tabcodativa.h"
#include "pages/tabconfrede.h"
#include "pages/tablog.h"
#include "pages/tabnorvi.h"
#include "pages/tabstatus.h"
#include "pages/tabteste.h"
#include "pages/tavatualizasw.h"
#include "valida.h"
#include "versao.h"

namespace {

struct BotaoMenu {
  const char *nome;
  const char *legenda;
  const char *pagina;  // objectName of the page; nullptr for "Sair"
};

// Top to bottom; the logo sits between "Atualizar SW Básico" and "SuperLog".
const BotaoMenu kMenu[] = {
    {"BtnPrincipal", "SAT - NORVI", "TabNorvi"},
    {"BtnConfRede", "Config. da Rede", "TabConfRede"},
    {"BtnAtivacao", "Ativação do SAT", "TabAtivar"},
    {"BtnAssocAssin", "Associar Aplic. Comercial", "TabAssocAss"},
    {"BtnTestefimafim", "Testes", "TabTeste"},
    {"BitBtnStatus", "Status", "TabStatus"},
    {"BitLogs", "Extrair Logs", "TabLog"},
    {"BtnCodAtivacao", "Trocar Cód. Ativação", "TabCodAtiva"},
    {"BtnBloquearSAT", "Bloquear/Desbloquear", "TabBloq"},
    {"BitAtualizaSW", "Atualizar SW Básico", "TavAtualizaSW"},
    {"BitSuperLog", "SuperLog", "TabLog"},
    {"BtnSair", "Sair", nullptr},
};

// "not found", with the places looked at.
QString BibliotecaAusente(const QString &nome, const QString &aoLado, const QString &soname) {
  QString onde = QStringLiteral("Procurada em ") + QDir::toNativeSeparators(aoLado);
  if (!soname.isEmpty()) onde += QStringLiteral(" e, como %1, nas pastas de bibliotecas do sistema").arg(soname);
  return QStringLiteral("Erro: %1 não foi encontrada.\n").arg(nome) + onde + QStringLiteral(".");
}

}  // namespace

TFAtivacao::TFAtivacao(const Ambiente &ambiente, QWidget *pai) : QMainWindow(pai), ctx(std::make_unique<Contexto>(ambiente)) {
  setObjectName(QStringLiteral("TFAtivacao"));
  ctx->janela = this;
  CriaJanela();
  Inicia();
  // The other windows, in the order of the program's start.
  ctx->fimafim = new TFFimAFim(this);
  ctx->msefaz = new TFMSefaz(this);
  ctx->valida = new TFValida(ctx->estado, ctx->dialogos, this);
}

TFAtivacao::~TFAtivacao() = default;

void TFAtivacao::CriaJanela() {
  setWindowIcon(IconeJanela());
  auto *central = new QWidget(this);
  auto *linha = new QHBoxLayout(central);
  linha->setContentsMargins(0, 0, 0, 0);
  linha->setSpacing(0);
  linha->addWidget(CriaMenu());

  ctx->PageControl = new QStackedWidget(central);
  ctx->PageControl->setObjectName(QStringLiteral("PageControl"));
  auto *teste = new TabTeste(*ctx);
  ctx->Edit1 = teste->Edit1;
  const QList<QWidget *> paginas = {new TabNorvi(*ctx),   new TabCodAtiva(*ctx), new TabAtivar(*ctx),
                                    new TabAssocAss(*ctx), new TabBloq(*ctx),     teste,
                                    new TabConfRede(*ctx), new TabStatus(*ctx),   new TabLog(*ctx),
                                    new TavAtualizaSW(*ctx)};
  for (QWidget *p : paginas) ctx->PageControl->addWidget(p);
  ctx->paginas = paginas;
  linha->addWidget(ctx->PageControl, 1);
  setCentralWidget(central);

  auto *barra = new QStatusBar(this);
  barra->setObjectName(QStringLiteral("StatusBar"));
  barra->setSizeGripEnabled(false);
  ctx->painelStatus = new TPainelStatus(barra);
  ctx->painelStatus->setObjectName(QStringLiteral("StatusPanel"));
  ctx->painelStatus->setTextFormat(Qt::PlainText);  // a reply is shown as received, never as markup
  ctx->painelStatus->setMinimumWidth(150);
  barra->addWidget(ctx->painelStatus, 1);
  setStatusBar(barra);

  resize(684, 465);
  if (const QScreen *tela = screen()) move(tela->availableGeometry().center() - rect().center());
}

QWidget *TFAtivacao::CriaMenu() {
  auto *Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedWidth(170);
  auto *coluna = new QVBoxLayout(Panel1);
  coluna->setContentsMargins(6, 6, 6, 6);
  coluna->setSpacing(3);
  for (const BotaoMenu &b : kMenu) {
    const QString nome = QString::fromLatin1(b.nome);
    if (nome == u"BitSuperLog") {
      auto *logo = new QLabel(Panel1);
      logo->setObjectName(QStringLiteral("ImgLogo"));
      logo->setPixmap(FiguraLogo());
      logo->setAlignment(Qt::AlignCenter);
      logo->setAccessibleName(QStringLiteral("Norvi"));
      coluna->addWidget(logo);
    }
    auto *botao = new QPushButton(QString::fromUtf8(b.legenda), Panel1);
    botao->setObjectName(nome);
    botao->setMinimumHeight(26);
    coluna->addWidget(botao);
    if (!b.pagina) {
      connect(botao, &QPushButton::clicked, this, &QWidget::close);
      continue;
    }
    const QString pagina = QString::fromLatin1(b.pagina);
    connect(botao, &QPushButton::clicked, this, [this, nome, pagina] {
      for (QWidget *w : ctx->paginas) {
        if (w->objectName() == pagina) {
          if (auto *p = qobject_cast<Pagina *>(w)) p->AcionadaPeloMenu(nome);
          return;
        }
      }
    });
  }
  coluna->addStretch();
  return Panel1;
}

void TFAtivacao::Inicia() {
  auto *norvi = ctx->PaginaDe<TabNorvi>();
  norvi->LblNorvi->setText(QStringLiteral("Norvi Informática EIRELI"));

  const QString versao = GetEXEVersionData(QCoreApplication::applicationFilePath());
  setWindowTitle(QStringLiteral("SAT - NORVI (Ativação - Versão: ") + versao + QStringLiteral(")"));
  norvi->LblVersao->setText(QStringLiteral("Versão: ") + versao + QStringLiteral(" ") + TamanhoPalavra());

  // The state list of the activation page and the password fields of the
  // network page are prepared by those pages themselves.

  // The library beside the program first; installed, the system's by its SONAME.
  const QString nome = TDriverSAT::NomeBiblioteca();
  const QString aoLado = ctx->ArquivoPrograma(nome);
  if (!QFile::exists(aoLado)) {
    if (ctx->bibliotecaDoSistema.isEmpty() || !ctx->driver.CarregaDoSistema(ctx->bibliotecaDoSistema)) {
      ctx->dialogos.Mensagem(nullptr, QString(), BibliotecaAusente(nome, aoLado, ctx->bibliotecaDoSistema),
                             Dialogos::Icone::Erro);
      pedidoEncerramento = true;
    }
  } else if (!ctx->driver.CarregaDLL(ctx->pastaPrograma, nome, ctx->dialogos)) {
    ctx->dialogos.Mensagem(nullptr, QString(), QStringLiteral("Falha na carga da DLL. Encerrando aplicação ..."),
                           Dialogos::Icone::Erro);
    pedidoEncerramento = true;
  }

  try {
    ctx->cds.CriaSeAusente();
  } catch (const ErroDados &e) {
    ctx->dialogos.Mensagem(nullptr, QString(), e.texto, Dialogos::Icone::Erro);
  }
  ctx->PageControl->setCurrentWidget(norvi);
  ctx->painelStatus->Mostra(QString());
  ctx->estado.CodigoValidado.clear();
}

void TFAtivacao::closeEvent(QCloseEvent *evento) {
  try {
    ctx->cds.Fecha();
  } catch (const ErroDados &e) {
    // What was typed this run is lost when the file cannot be written: say so.
    ctx->dialogos.Mensagem(this, QString(), e.texto, Dialogos::Icone::Erro);
  }
  evento->accept();
}
