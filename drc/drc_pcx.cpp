#include "drc_pcx.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "drc_state.h"
#include "host.h"


const uint8_t PcxPalette[16][3] = {
    {0, 0, 0},     {0, 0, 191},   {0, 191, 0},   {0, 191, 191}, {191, 0, 0},   {191, 0, 191},
    {191, 191, 0}, {191, 191, 191}, {191, 191, 191}, {0, 0, 255}, {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},   {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
};

int PcxIndexOf(uint32_t rgb) {
  int r = rgb & 0xff, g = (rgb >> 8) & 0xff, b = (rgb >> 16) & 0xff;
  int i = 0;
  if (b) i |= 1;
  if (g) i |= 2;
  if (r) i |= 4;
  if (r > 224 || g > 224 || b > 224) i |= 8;
  return i;
}

namespace {

const int kWhite = 15;

void Put(DrcState& st, int x, int y, int idx) {
  DrcMapper& m = st.mapper;
  if (x < 0 || y < 0 || x >= m.w || y >= m.h) return;
  m.pix[(size_t)y * m.w + x] = (uint8_t)idx;
}

// Outline of a GDI-style rectangle: left .. right - 1, top .. bottom - 1.
void Frame(DrcState& st, int l, int t, int r, int b, bool dotted) {
  int n = 0;
  auto dot = [&](int x, int y) {
    bool on = !dotted || (n / 3) % 2 == 0;
    ++n;
    Put(st, x, y, on ? kWhite : 0);
  };
  for (int x = l; x < r; ++x) dot(x, t);
  for (int y = t; y < b; ++y) dot(r - 1, y);
  for (int x = r - 1; x >= l; --x) dot(x, b - 1);
  for (int y = b - 1; y >= t; --y) dot(l, y);
}

void Be32(uint8_t* p, int32_t v) {
  uint32_t u = (uint32_t)v;
  p[0] = (uint8_t)(u >> 24);
  p[1] = (uint8_t)(u >> 16);
  p[2] = (uint8_t)(u >> 8);
  p[3] = (uint8_t)u;
}

int32_t GetBe32(const uint8_t* p) {
  return (int32_t)(((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3]);
}

void Le16(uint8_t* p, int v) {
  p[0] = (uint8_t)(v & 0xff);
  p[1] = (uint8_t)((v >> 8) & 0xff);
}

int GetLe16(const uint8_t* p) { return p[0] | (p[1] << 8); }

bool OwnName(const std::string& file, const std::string& cell, int* check, int* seq) {
  // <cell>_<digits>_<digits>.pcx, any case.
  if (file.size() < cell.size() + 8) return false;
  for (size_t i = 0; i < cell.size(); ++i)
    if (std::toupper((unsigned char)file[i]) != std::toupper((unsigned char)cell[i])) return false;
  const char* p = file.c_str() + cell.size();
  if (*p++ != '_') return false;
  if (!std::isdigit((unsigned char)*p)) return false;
  long c = std::strtol(p, const_cast<char**>(&p), 10);
  if (*p++ != '_') return false;
  if (!std::isdigit((unsigned char)*p)) return false;
  long s = std::strtol(p, const_cast<char**>(&p), 10);
  std::string ext = p;
  for (char& ch : ext) ch = (char)std::tolower((unsigned char)ch);
  if (ext != ".pcx" || c > 1000000 || s > 1000000) return false;
  *check = (int)c;
  *seq = (int)s;
  return true;
}

bool HeaderOfFile(const std::filesystem::path& p) {
  FILE* f = std::fopen(p.string().c_str(), "rb");
  if (!f) return false;
  uint8_t h[128];
  bool ok = std::fread(h, 1, 128, f) == 128;
  std::fclose(f);
  PcxInfo info;
  return ok && PcxHeaderOk(h, &info);
}

}  // namespace

int MapperCreate(DrcState& st, int a) {
  DrcMapper& m = st.mapper;
  MapperFree(st);
  int k = st.maps.k;
  m.w = st.maps.mapw / k + 32;
  m.hm = st.maps.maph / k + 16;
  m.lh = 16;
  m.copyW = m.w - 1;
  m.copyRows = 3 * m.lh + m.lh / 2 + m.hm + 2;
  m.h = m.hm + 4 * m.lh;
  if (m.copyRows > m.h) m.h = m.copyRows;
  m.pix = static_cast<uint8_t*>(std::calloc((size_t)m.w * m.h, 1));
  if (!m.pix) return 0;
  Frame(st, 8, 8, m.w - 16, m.hm - 8, false);
  if (a < 0) a = 0;
  if (8 + a < m.w - a - 16 && 8 + a < m.hm - a - 8) Frame(st, 8 + a, 8 + a, m.w - a - 16, m.hm - a - 8, true);
  m.created = 1;
  return 1;
}

void MapperFree(DrcState& st) {
  std::free(st.mapper.pix);
  std::memset(&st.mapper, 0, sizeof st.mapper);
}

int BlockAnySet(const DrcState& st, const DrcMap& d, int x, int y) {
  int k = st.maps.k;
  for (int v = y; v < y + k && v < st.maps.maph; ++v)
    for (int u = x; u < x + k && u < st.maps.mapw; ++u)
      if (MapGet(st, d, u, v)) return 1;
  return 0;
}

void MapperPaint(DrcState& st, const DrcMap& d, uint32_t rgb, int pitch) {
  DrcMapper& m = st.mapper;
  if (!m.created) return;
  int k = st.maps.k, p = pitch < 1 ? 1 : pitch;
  int idx = PcxIndexOf(rgb);
  for (int i = 0; i <= (st.maps.maph - 1) / k; ++i) {
    if (i >= m.hm) break;
    for (int j = 0; j <= (st.maps.mapw - 1) / k - 1; ++j) {
      bool admit;
      if (p % 2) {
        int dd = p == 1 ? 1 : p - 1;
        admit = j % dd == 0 && i % dd == 0;
      } else {
        admit = (i + j) % p == 0 && (j - i) % p == 0;
      }
      if (admit && BlockAnySet(st, d, k * j, k * i)) Put(st, 16 + j, m.hm - 8 - i, idx);
    }
  }
}

int PcxRunEncode(const uint8_t* line, int n, uint8_t* out) {
  int o = 0;
  for (int i = 0; i < n;) {
    int run = 1;
    while (i + run < n && line[i + run] == line[i] && run < 63) ++run;
    if (run > 1) {
      out[o++] = (uint8_t)(0xC0 | run);
      out[o++] = line[i];
    } else if (line[i] >= 0xC0) {
      out[o++] = 0xC1;
      out[o++] = line[i];
    } else {
      out[o++] = line[i];
    }
    i += run;
  }
  return o;
}

int PcxWrite(const DrcState& st, const char* path, int left, int top, int width, int rows, int32_t areaL, int32_t areaB,
             int32_t areaR, int32_t areaT, int messages) {
  FILE* f = std::fopen(path, "wb");
  if (!f) {
    if (messages) HostError("Can't Open Map File");
    return 0;
  }
  int n = width / 8;
  if (n > PCX_MAX_BPL) n = PCX_MAX_BPL;
  if (n < 0) n = 0;
  if (rows < 0) rows = 0;
  uint8_t h[128] = {0};
  h[0] = 10;
  h[1] = 3;
  h[2] = 1;
  h[3] = 1;
  Le16(h + 8, 8 * n - 1);
  Le16(h + 10, rows - 1);
  Le16(h + 12, 200);
  Le16(h + 14, 200);
  std::memcpy(h + 16, PcxPalette, 48);
  h[65] = 4;
  Le16(h + 66, n);
  Be32(h + 80, areaL);
  Be32(h + 84, areaB);
  Be32(h + 88, areaR);
  Be32(h + 92, areaT);
  std::fwrite(h, 1, 128, f);
  uint8_t plane[4][PCX_MAX_BPL];
  uint8_t code[2 * PCX_MAX_BPL];
  const DrcMapper& m = st.mapper;
  for (int i = 0; i < rows; ++i) {
    std::memset(plane, 0, sizeof plane);
    for (int j = 0; j < 8 * n; ++j) {
      int x = left + j, y = top + i;
      int idx = (m.pix && x >= 0 && y >= 0 && x < m.w && y < m.h) ? m.pix[(size_t)y * m.w + x] : 0;
      for (int b = 0; b < 4; ++b)
        if (idx & (1 << b)) plane[b][j >> 3] |= (uint8_t)(0x80 >> (j & 7));
    }
    for (int b = 0; b < 4; ++b) std::fwrite(code, 1, (size_t)PcxRunEncode(plane[b], n, code), f);
  }
  bool ok = std::ferror(f) == 0;
  if (std::fclose(f) != 0) ok = false;
  if (!ok) {
    // A truncated map file would pass for a map with nothing on it.
    std::remove(path);
    if (messages) HostError("Can't Open Map File");
    return 0;
  }
  return 1;
}

int PcxHeaderOk(const uint8_t* h, PcxInfo* info) {
  int xmin = GetLe16(h + 4), ymin = GetLe16(h + 6), xmax = GetLe16(h + 8), ymax = GetLe16(h + 10);
  int bpl = GetLe16(h + 66);
  if (h[0] != 10 || h[2] != 1 || h[3] != 1 || h[65] != 4) return 0;
  if (GetLe16(h + 12) != 200 || GetLe16(h + 14) != 200) return 0;
  if (bpl < 1 || bpl > PCX_MAX_BPL || xmin != 0 || ymin != 0) return 0;
  if (xmax >= 8 * bpl || ymax >= PCX_MAX_ROWS) return 0;
  info->width = xmax + 1;
  info->height = ymax + 1;
  info->bytesPerLine = bpl;
  info->areaL = GetBe32(h + 80);
  info->areaB = GetBe32(h + 84);
  info->areaR = GetBe32(h + 88);
  info->areaT = GetBe32(h + 92);
  return 1;
}

int PcxDecode(const uint8_t* data, size_t size, PcxInfo* info, uint8_t** pixels) {
  *pixels = nullptr;
  if (size < 128 || !PcxHeaderOk(data, info)) return 0;
  int bpl = info->bytesPerLine, w = info->width, h = info->height;
  uint8_t* pix = static_cast<uint8_t*>(std::calloc((size_t)w * h, 1));
  if (!pix) return 0;
  size_t pos = 128;
  uint8_t row[4 * PCX_MAX_BPL];
  for (int y = 0; y < h && pos < size; ++y) {
    // One row: four plane lines, decoded as one bounded stream.
    int n = 0, total = 4 * bpl;
    std::memset(row, 0, sizeof row);
    while (n < total && pos < size) {
      uint8_t c = data[pos++];
      if (c >= 0xC0) {
        if (pos >= size) break;
        uint8_t v = data[pos++];
        int count = c & 0x3F;
        while (count-- > 0 && n < total) row[n++] = v;
      } else {
        row[n++] = c;
      }
    }
    for (int x = 0; x < w; ++x) {
      int idx = 0;
      for (int b = 0; b < 4; ++b)
        if (row[b * bpl + (x >> 3)] & (0x80 >> (x & 7))) idx |= 1 << b;
      pix[(size_t)y * w + x] = (uint8_t)idx;
    }
  }
  *pixels = pix;
  return 1;
}

int PcxRead(const char* path, int headerOnly, PcxInfo* info, uint8_t** pixels, int messages) {
  if (pixels) *pixels = nullptr;
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    if (messages) HostError("Can't Open Map File");
    return 0;
  }
  uint8_t h[128];
  if (std::fread(h, 1, 128, f) != 128 || !PcxHeaderOk(h, info)) {
    std::fclose(f);
    if (messages) HostError("Not QUILDRC Map File");
    return 0;
  }
  if (headerOnly || !pixels) {
    std::fclose(f);
    return 1;
  }
  std::string data(reinterpret_cast<const char*>(h), 128);
  char buf[65536];
  size_t got;
  // A map file is at most 16384 rows of 4 x 128 bytes, twice that coded.
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0 && data.size() < (size_t)PCX_MAX_ROWS * 1024 + 128)
    data.append(buf, got);
  std::fclose(f);
  return PcxDecode(reinterpret_cast<const uint8_t*>(data.data()), data.size(), info, pixels);
}

int PcxDeleteOwn(const char* folder, const char* cell) {
  namespace fs = std::filesystem;
  std::error_code ec;
  int n = 0;
  fs::path dir = (folder && *folder) ? fs::path(folder) : fs::current_path(ec);
  std::vector<fs::path> own;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    int c, s;
    if (!it->is_regular_file(ec)) continue;
    if (!OwnName(it->path().filename().string(), cell, &c, &s)) continue;
    if (HeaderOfFile(it->path())) own.push_back(it->path());
  }
  for (const fs::path& p : own)
    if (fs::remove(p, ec)) ++n;
  return n;
}

int PcxHighestSeq(const char* folder, const char* cell, int check) {
  namespace fs = std::filesystem;
  std::error_code ec;
  int best = 0;
  fs::path dir = (folder && *folder) ? fs::path(folder) : fs::current_path(ec);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    int c, s;
    if (OwnName(it->path().filename().string(), cell, &c, &s) && c == check && s > best) best = s;
  }
  return best;
}
