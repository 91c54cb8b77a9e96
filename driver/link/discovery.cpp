// The device's port is found in sysfs: a USB serial port (cdc_acm) that is
// present now and whose USB device has vendor 0525 and product A4A7.
#include "link/discovery.h"

#include <algorithm>

#include "core/log.h"
#include "core/state.h"
#include "core/text.h"
#include "platform/platform.h"

namespace cfe {

namespace {

std::string Raiz(const char *variavel, const char *padrao) {
  std::string valor = platform::EnvText(variavel);
  while (valor.size() > 1 && valor.back() == '/') valor.pop_back();
  return valor.empty() ? padrao : valor;
}

// An id as sysfs writes it ("0525\n"), compared without case or blanks.
bool MesmoId(const std::string &texto, const char *esperado) {
  return Minusculas(Apara(texto, EhEspacoOuFimDeLinha)) == esperado;
}

// Natural order: runs of digits compare by value, so ttyACM2 comes before ttyACM10.
bool OrdemNatural(const std::string &a, const std::string &b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (EhDigito(a[i]) && EhDigito(b[j])) {
      size_t fa = i, fb = j;
      while (fa < a.size() && EhDigito(a[fa])) ++fa;
      while (fb < b.size() && EhDigito(b[fb])) ++fb;
      size_t za = i, zb = j;  // skip leading zeros
      while (za + 1 < fa && a[za] == '0') ++za;
      while (zb + 1 < fb && b[zb] == '0') ++zb;
      std::string_view na(a.data() + za, fa - za), nb(b.data() + zb, fb - zb);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = fa;
      j = fb;
    } else {
      if (a[i] != b[j]) return (unsigned char)a[i] < (unsigned char)b[j];
      ++i;
      ++j;
    }
  }
  if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
  return a < b;  // same value, different zeros: any fixed order
}

}  // namespace

std::string PastaDispositivos() { return Raiz("CFEDRIVER_DEVDIR", "/dev"); }

Varredura VarrePortas() {
  Varredura v;
  std::vector<platform::TtyEntry> ttys;
  if (!platform::ListTtys(Raiz("CFEDRIVER_SYSFS", "/sys"), ttys)) {
    v.falhou = true;
    v.usavel = false;
    return v;
  }
  std::sort(ttys.begin(), ttys.end(),
            [](const platform::TtyEntry &a, const platform::TtyEntry &b) { return OrdemNatural(a.name, b.name); });
  const std::string pasta = PastaDispositivos();
  for (const platform::TtyEntry &t : ttys) {
    if (t.driver != "cdc_acm") continue;
    std::string porta = pasta + "/" + t.name;
    v.A.push_back(porta);
    if (MesmoId(t.idVendor, "0525") && MesmoId(t.idProduct, "a4a7")) v.P.push_back(porta);
  }
  v.usavel = !v.A.empty() && !v.P.empty();
  return v;
}

int BuscaPortaSerial() {
  bool fixa;
  {
    std::lock_guard<std::mutex> guarda(G().mutex);
    fixa = G().PortaFixa;
  }
  if (!fixa) {
    GravaTexto(&Estado::PortaSerial, "");
    Log("Fazendo busca da porta serial ...");
  }
  int resultado = 0;
  if (LeTexto(&Estado::PortaSerial).empty()) {
    Varredura v = VarrePortas();
    if (v.falhou) {
      resultado = 6;
    } else if (!v.usavel) {
      resultado = 5;
    } else {
      // The last attached port of the device wins, as in the listing's order.
      std::string escolhida;
      for (const std::string &a : v.A) {
        if (std::find(v.P.begin(), v.P.end(), a) != v.P.end()) escolhida = a;
      }
      GravaTexto(&Estado::PortaSerial, escolhida);
    }
  }
  Log("Usando interface: " + LeTexto(&Estado::PortaSerial));
  return resultado;
}

}  // namespace cfe
