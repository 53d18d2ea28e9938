// The colour table and its default contents.
#include "gui/colr.h"

#include <cstring>

#include "gui/ogl_gl.h"

colr_class colr;

namespace {
struct default_colour {
  int index;
  float r, g, b;
};
const default_colour kDefaults[] = {
    {0, 1, 1, 1},         {1, 1, 0.2f, 0.2f},    {2, 1, 1, 0.2f},       {3, 0.7f, 0.7f, 0.7f},
    {4, 0.8f, 0, 0},      {5, 1, 1, 0},          {6, 0.3f, 0.3f, 0.3f}, {7, 0.2f, 0, 0},
    {8, 1, 0.8f, 0.2f},   {9, 0.1f, 0.1f, 0.1f}, {10, 0, 0.8f, 0},      {13, 0, 0.4f, 0},
    {15, 0.4f, 0.4f, 1},  {17, 0, 0, 0.6f},      {18, 0.9f, 0.9f, 0.9f}, {19, 0.8f, 0.1f, 0.1f},
    {20, 0.9f, 0.9f, 1},  {21, 0.9f, 0.9f, 0.9f}, {22, 0.1f, 0.1f, 0.1f}, {24, 1, 1, 0},
    {26, 1, 1, 1},        {27, 1, 1, 1},         {28, 1, 1, 1},         {29, 1, 1, 0},
    {31, 1, 1, 1},        {32, 1, 1, 1},         {33, 1, 1, 1},         {49, 1, 1, 1},
    {50, 0.4f, 1, 0.4f},  {51, 1, 0.4f, 0.4f},   {52, 1, 1, 0.6f},      {53, 0.7f, 0.7f, 1},
    {54, 1, 0.5f, 0},     {55, 0.8f, 0.8f, 0.8f}, {56, 0, 1, 0},        {57, 1, 0.2f, 0.2f},
    {58, 1, 1, 0.2f},     {59, 0.4f, 0.4f, 1},   {60, 0.5f, 0.3f, 0},   {61, 0.5f, 0.5f, 0.5f},
    {62, 0, 0.6f, 0},     {63, 0.6f, 0.2f, 0},   {64, 1, 1, 0},         {65, 0.2f, 0.2f, 0.8f},
    {66, 1, 0.2f, 1},     {67, 0.2f, 0.2f, 0.2f}, {68, 0, 0.2f, 0},     {69, 1, 0, 0},
    {70, 0.6f, 0.6f, 0},  {71, 0.15f, 0.15f, 0.6f}, {72, 0.49f, 0.43f, 0.24f}, {74, 0, 0.1f, 0},
    {75, 1, 0, 1},        {76, 0, 1, 1},         {77, 0.44f, 0.53f, 0.54f}, {84, 1, 0, 1},
    {86, 1, 0, 1},        {87, 1, 1, 1},         {96, 0.5f, 0.5f, 0.4f}, {97, 1, 0.3f, 0},
    {98, 0.5f, 0.5f, 0.4f}, {99, 0.8f, 0.8f, 0.7f}, {100, 0, 0.6f, 0.2f}, {101, 1, 1, 0.9f},
};
}  // namespace

colr_class::colr_class() {
  memset(win_gamma, 0, sizeof win_gamma);
  memset(col_rgb, 0, sizeof col_rgb);
  memset(spectrum_rgb, 0, sizeof spectrum_rgb);
  for (const default_colour& c : kDefaults) assign(c.index, c.r, c.g, c.b);
}

void colr_class::assign(int index, float r, float g, float b) {
  if (index < 0 || index >= colr_count) return;
  col_rgb[index][0] = r;
  col_rgb[index][1] = g;
  col_rgb[index][2] = b;
}

void colr_class::set_index(const int index, float a) {
  const float* c = col_rgb[index >= 0 && index < colr_count ? index : 0];
  if (a > 0.99f)
    glColor3fv(c);  // opaque: GL's current alpha stays 1
  else
    glColor4f(c[0], c[1], c[2], a);
}
