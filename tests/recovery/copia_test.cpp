// The corrected sale and its debug copy "corrigido.xml" in the log's folder.
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "cfedriver.h"
#include "tabela.h"

namespace recuperacao {
namespace {

namespace fs = std::filesystem;

const std::string S = "000042";
// References the correction rewrites, and one (&#225;) it leaves alone.
const std::string venda = "<CFe><x>&#65;&#x41;&#39;&#13;&#225;</x></CFe>";
const std::string corrigida = "<CFe><x>    A     A    `     &#225;</x></CFe>";
const std::string emitido = S + "|06000|0000|Emitido com sucesso|||CFe3524|10.00||QR";

class CopiaTest : public TabelaTest {
 protected:
  fs::path Copia() const { return pasta / "corrigido.xml"; }
  std::vector<std::string> Fio() const {
    std::vector<std::string> fio;
    for (auto &r : dispositivo.Requests()) fio.push_back(r.substr(0, r.size() - 2));  // without "|" ETX
    return fio;
  }
};

TEST_F(CopiaTest, WrittenOnlyWithCorrectionAndDebugBothOn) {
  struct Caso {
    const char *nome;
    std::string extra;
    bool debug;
    bool copia;
    std::string enviada;
  } casos[] = {
      {"both on", "CORRECAO=true\n", true, true, corrigida},
      {"debug off", "CORRECAO=true\n", false, false, corrigida},
      {"correction off", "", true, false, venda},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.nome);
    fs::remove(Copia());
    Reinicia(1, c.extra, c.debug);
    dispositivo.Limpa();
    EXPECT_EQ(EnviarDadosVenda(42, "C", venda.c_str()), S + "|06000|ok");
    EXPECT_EQ(Fio(), std::vector<std::string>{"|03|" + S + "|C|" + c.enviada});
    ASSERT_EQ(fs::exists(Copia()), c.copia);
    if (c.copia) {
      EXPECT_EQ(cfetest::LeArquivo(Copia()), corrigida + "\r\n");
      struct stat st{};
      ASSERT_EQ(stat(Copia().c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
  }
}

TEST_F(CopiaTest, EveryTransmissionCarriesTheCorrectedTextWhileTheLogShowsTheCallersText) {
  // Busy, update without reply, query: no coupon, resend: all three transmissions.
  Reinicia(3, "CORRECAO=true\n");
  dispositivo.DefineRespostas({S + "|06098|0000|busy", std::nullopt, S + "|11003|Sessão não existe", emitido});
  EXPECT_EQ(EnviarDadosVenda(42, "C", venda.c_str()), emitido);
  const std::string t = "|03|" + S + "|C|" + corrigida, q = "|08|" + S + "|C|" + S;
  EXPECT_EQ(Fio(), (std::vector<std::string>{t, t, q, t}));
  const std::string campos = S + "|C|" + venda;
  int mostradas = 0;
  for (const auto &l : LogDaChamada()) {
    if (l == "EnviarDadosVenda[1]: " + campos || l == "Retransmisssao(atualiz.) -> EnviarDadosVenda[2]: " + campos ||
        l == "(*)Retransmisssao -> EnviarDadosVenda[3]: " + campos)
      ++mostradas;
    EXPECT_EQ(l.find(corrigida), std::string::npos) << l;
  }
  EXPECT_EQ(mostradas, 3);
}

TEST_F(CopiaTest, EachCallReplacesTheCopy) {
  Reinicia(1, "CORRECAO=true\n");
  EnviarDadosVenda(42, "C", (venda + std::string(1000, 'x')).c_str());
  EnviarDadosVenda(42, "C", "&#66;");
  EXPECT_EQ(cfetest::LeArquivo(Copia()), "    B\r\n");
}

TEST_F(CopiaTest, ACopyThatCannotBeWrittenChangesNothingElse) {
  const fs::path alvo = pasta / "alvo.txt";
  struct Caso {
    const char *nome;
    std::function<void()> prepara;
    std::function<void()> confere;
  } casos[] = {
      {"a directory in its place", [&] { fs::create_directory(Copia()); },
       [&] {
         EXPECT_TRUE(fs::is_directory(Copia()));
         EXPECT_TRUE(fs::is_empty(Copia()));
       }},
      {"a symbolic link in its place",
       [&] {
         cfetest::EscreveArquivo(alvo, "intocado");
         fs::create_symlink(alvo, Copia());
       },
       [&] {
         EXPECT_TRUE(fs::is_symlink(Copia()));
         EXPECT_EQ(cfetest::LeArquivo(alvo), "intocado");
       }},
      {"a dangling symbolic link in its place", [&] { fs::create_symlink(pasta / "nao-existe", Copia()); },
       [&] {
         EXPECT_TRUE(fs::is_symlink(Copia()));
         EXPECT_FALSE(fs::exists(pasta / "nao-existe"));
       }},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.nome);
    fs::remove_all(Copia());
    fs::remove(alvo);
    c.prepara();
    Reinicia(1, "CORRECAO=true\n");
    dispositivo.Limpa();
    dispositivo.DefineRespostas({emitido});
    EXPECT_EQ(EnviarDadosVenda(42, "C", venda.c_str()), emitido);
    EXPECT_EQ(Fio(), std::vector<std::string>{"|03|" + S + "|C|" + corrigida});
    EXPECT_EQ(LogDaChamada(), (std::vector<std::string>{"EnviarDadosVenda[1]: " + S + "|C|" + venda,
                                                        "(*)Retorno de EnviarDadosVenda[1]: " + emitido,
                                                        "EnviarDadosVenda[1] -> CodRet: 06000",
                                                        "Resposta de EnviarDadosVenda[1]: " + emitido}));
    c.confere();
  }
}

}  // namespace
}  // namespace recuperacao
