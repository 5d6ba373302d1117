#include "tools/make_assets/shape_table.h"

namespace assetgen {

ShapeRect ShapeCell(int s) {
  if (s == 0) return {Sheet::Cg1, 0, 0, 16, 16};
  if (s >= 1 && s <= 5) return {Sheet::Cg1, 16 * s, 0, 16, 16};
  if (s >= 6 && s <= 9) return {Sheet::Cg1, 8 * (s - 6), 16, 8, 16};
  if (s >= 10 && s <= 17) return {Sheet::Cg1, 32 + 8 * ((s - 10) % 4), 16 + 8 * ((s - 10) / 4), 8, 8};
  if (s >= 20 && s <= 24) return {Sheet::Cg1, 96 + 16 * (s - 20), 0, 16, 16};
  if (s >= 25 && s <= 27) return {Sheet::Cg1, 176 + 16 * (s - 25), 0, 16, 16};
  if (s >= 30 && s <= 33) return {Sheet::Cg1, 32 + 8 * (s - 30), 32, 8, 8};
  if (s >= 34 && s <= 38) return {Sheet::Cg1, 64 + 8 * (s - 34), 16, 8, 8};
  if (s >= 50 && s <= 59) return {Sheet::Cg3, 16 * (s - 50), 96, 16, 32};
  if (s >= 60 && s <= 70) return {Sheet::Cg3, 8 * (s - 60), 128, 8, 8};
  if (s >= 71 && s <= 166) return {Sheet::Cg3, 16 * ((s - 71) % 16), 16 * ((s - 71) / 16), 16, 16};
  if (s == 167) return {Sheet::Cg1, 0, 112, 16, 16};
  if (s == 168) return {Sheet::Cg2, 0, 0, 256, 96};
  if (s >= 169 && s <= 176) return {Sheet::Cg1, 112 + 16 * (s - 169), 16, 16, 16};
  if (s >= 180 && s <= 189) return {Sheet::Cg3, 8 * (s - 180), 136, 8, 8};
  if (s == 190) return {Sheet::Cg3, 80, 136, 40, 8};
  if (s >= 200 && s <= 203) return {Sheet::Cg1, 8 * (s - 200), 32, 8, 8};
  if (s >= 204 && s <= 207) return {Sheet::Cg1, 16 * (s - 204), 40, 16, 16};
  if (s >= 208 && s <= 211) return {Sheet::Cg1, 24 * (s - 208), 56, 24, 24};
  if (s >= 212 && s <= 215) return {Sheet::Cg1, 32 * (s - 212), 80, 32, 32};
  return {};
}

}  // namespace assetgen
