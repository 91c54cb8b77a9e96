// Page TabCodAtiva: change of the activation code, with the current or the
// emergency code. Locked until "Trocar Código de Ativação" is checked.
#pragma once

#include "pagina.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class TabCodAtiva : public Pagina {
  Q_OBJECT
 public:
  explicit TabCodAtiva(Contexto &ctx, QWidget *pai = nullptr);

  // "Trocar Cód. Ativação": empties the three code fields, then shows the page.
  void AcionadaPeloMenu(const QString &botao) override;
  void AoEntrar() override;
  // "Trocar".
  void Trocar();

  QCheckBox *CheckMudaCodigo;
  QLabel *LblCodigo;
  QLineEdit *EdtCodigo;
  QCheckBox *Checkemergencia;
  QLineEdit *EdtNovoCodigo;
  QLineEdit *EdtNovoCodigo2;
  QPushButton *BtnTrocarCod;

 private:
  void Destrava(bool destravada);
  void Emergencia(bool marcada);
  void EsvaziaCodigos();
};
