// The soak in its CI form: a hundred sales and a hundred cancellations against
// the worst device with seeded random faults. No coupon may be issued twice, and
// every call returns its own session's reply or the busy reply.
#include <gtest/gtest.h>

#include <iostream>

#include "soak.h"

namespace recuperacao {
namespace {

TEST(RecoverySoak, NoCouponIssuedTwiceAndNoOtherSessionsReply) {
  const ConfigSoak config{100, 100, 20240601};
  const ResultadoSoak r = RodaSoak(config);
  Imprime(std::cout, config, r);
  EXPECT_TRUE(r.falhas.empty());
  EXPECT_EQ(r.vendas.tentadas, 100);
  EXPECT_EQ(r.cancelamentos.tentadas, 100);
  EXPECT_EQ(r.vendas.emitidasDuasVezes, 0);
  EXPECT_EQ(r.cancelamentos.emitidasDuasVezes, 0);
  // The faults must have been felt, and the recovery must have saved most calls.
  EXPECT_GT(r.vendas.ocupadas + r.cancelamentos.ocupadas, 0);
  EXPECT_GT(r.vendas.emitidasComSucesso, 50);
  EXPECT_GT(r.cancelamentos.emitidasComSucesso, 50);
}

}  // namespace
}  // namespace recuperacao
