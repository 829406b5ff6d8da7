#include "sim/factory.h"

namespace kelvo6::sim {

std::array<int, 63> factoryParameters() {
  std::array<int, 63> p{};
  // number -> value; a typical four-cylinder LPG installation.
  const std::pair<int, int> values[] = {
      {1, 4},     {2, 4},     {3, 2},     {4, 350},   {5, 600},   {6, 1000},  {7, 70},    {8, 30},
      {9, 0},     {10, 0},    {11, 120},  {12, 2300}, {13, 50},   {14, 50},   {15, 0},    {16, 10},
      {17, 30},   {18, 60},   {19, 0},    {20, 5000}, {21, 0},    {22, 100},  {23, 1100}, {24, 0},
      {25, 1500}, {26, 0},    {27, 10},   {28, 84},   {29, 1300}, {30, 400},  {31, 2500}, {32, 1000},
      {33, 0},    {50, 2},    {51, 350},  {52, 600},  {53, 1000}, {54, 70},   {55, 30},   {56, 0},
      {57, 0},    {58, 1},    {59, 1},    {60, 800},  {61, 1},    {62, 0},
  };
  for (auto [n, v] : values) p[static_cast<std::size_t>(n)] = v;
  const int rpmAxis[8] = {650, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
  const int tinjAxis[8] = {2000, 3500, 5000, 7000, 9000, 11000, 13000, 15000};
  for (int i = 0; i < 8; ++i) {
    p[static_cast<std::size_t>(34 + i)] = rpmAxis[i];
    p[static_cast<std::size_t>(42 + i)] = tinjAxis[i];
  }
  return p;
}

std::array<int, 65> factoryCells() {
  std::array<int, 65> c{};
  for (int n = 1; n <= 64; ++n) c[static_cast<std::size_t>(n)] = 115;
  return c;
}

EcuMemory factoryMemory() {
  EcuMemory m;
  m.params = factoryParameters();
  m.cells = factoryCells();
  return m;
}

}  // namespace kelvo6::sim
