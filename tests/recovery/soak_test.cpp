// The soak in its CI form, at N_TENT 1 and 3: forty sales and forty cancellations
// against the worst device with seeded random faults and one outage each, sent
// by a point-of-sale program that sends an item answered busy again in a new
// session. No coupon may be issued twice, no item may get two coupons, and no
// call may be answered busy for a coupon the device issued, except during the
// outage, when the device could not be asked.
#include <gtest/gtest.h>

#include <iostream>

#include "soak.h"

namespace recuperacao {
namespace {

class RecoverySoak : public ::testing::TestWithParam<int> {};

TEST_P(RecoverySoak, NoCouponIssuedTwiceAndNoIssuedCouponAnsweredBusy) {
  ConfigSoak config;
  config.vendas = config.cancelamentos = 40;
  config.semente = 20240601;
  config.nTent = GetParam();
  const ResultadoSoak r = RodaSoak(config);
  Imprime(std::cout, config, r);
  EXPECT_TRUE(r.falhas.empty());
  for (const Contagem *c : {&r.vendas, &r.cancelamentos}) {
    EXPECT_EQ(c->itens, 40);
    EXPECT_EQ(c->emitidasDuasVezes, 0);
    EXPECT_EQ(c->emitidaMasOcupada, 0);
    EXPECT_EQ(c->semResposta, 1);  // the outage: issued, then unreachable
    // The faults must have been felt, and the recovery and the resends must have saved most items.
    EXPECT_GT(c->ocupadas, 0);
    EXPECT_GT(c->reenvios, 0);
    EXPECT_GT(c->comSucesso, 25);
  }
}

INSTANTIATE_TEST_SUITE_P(NTent, RecoverySoak, ::testing::Values(1, 3),
                         [](const ::testing::TestParamInfo<int> &i) { return "N_TENT_" + std::to_string(i.param); });

}  // namespace
}  // namespace recuperacao
