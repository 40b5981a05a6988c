// The reference for the editor's drawing-area screenshots: the same cell,
// view and settings drawn on the recording canvas and turned into pixel
// colours wherever they are certain (away from lines, edges and markers),
// then compared with the screenshot.
//
//   display_ref DIR CELL CX CY WIDTH L,T,R,B TOGS FONT SHOT.ppm OX OY [WX WY]...
//
// DIR the drawing folder, the view and area as the editor's trace gives
// them, FONT the font file the editor read ("-" for the built-in one),
// SHOT a binary PPM of the screen and OX, OY the client area's screen
// origin; DISPLAY_REF_ESC=1 in the environment draws as with Esc held. Prints "sure N mismatch M" and the first mismatches; each world
// point WX WY asked for prints "at WX WY pixel X Y screen R G B block R G B
// whites N" (the block: the brightest components and the count of white
// pixels over the 9 x 9 pixels around it). Exit 0
// when nothing mismatched. The diff form (below) compares two screenshots.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "canvas.h"
#include "celltable.h"
#include "font.h"
#include "layerview.h"
#include "mainsetup.h"
#include "palette.h"
#include "panes.h"
#include "redraw.h"
#include "render.h"
#include "store.h"
#include "tlcread.h"

namespace {

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  bool At(int x, int y, int* r, int* g, int* b) const {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    size_t i = ((size_t)y * w + x) * 3;
    *r = rgb[i];
    *g = rgb[i + 1];
    *b = rgb[i + 2];
    return true;
  }
};

bool ReadPpm(const char* path, Image* img) {
  FILE* f = fopen(path, "rb");
  if (!f) return false;
  char magic[3] = {0};
  int maxv = 0;
  bool ok = fscanf(f, "%2s %d %d %d", magic, &img->w, &img->h, &maxv) == 4 && !strcmp(magic, "P6") &&
            maxv == 255 && img->w > 0 && img->h > 0 && img->w < 20000 && img->h < 20000;
  if (ok) {
    fgetc(f);
    img->rgb.resize((size_t)img->w * img->h * 3);
    ok = fread(img->rgb.data(), 1, img->rgb.size(), f) == img->rgb.size();
  }
  fclose(f);
  return ok;
}

double SegDist(double px, double py, double ax, double ay, double bx, double by) {
  double dx = bx - ax, dy = by - ay;
  double l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / l2 : 0;
  t = std::max(0.0, std::min(1.0, t));
  double cx = ax + t * dx - px, cy = ay + t * dy - py;
  return std::sqrt(cx * cx + cy * cy);
}

bool Inside(const std::vector<CanvasPt>& p, double x, double y) {
  bool in = false;
  size_t n = p.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    double xi = p[i].x, yi = p[i].y, xj = p[j].x, yj = p[j].y;
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
  }
  return in;
}

struct Box {
  int l, t, r, b;
};

}  // namespace

// display_ref diff A.ppm B.ppm L,T,R,B OX OY: the pixels of the drawing area
// (client rectangle L,T,R,B, client origin OX,OY on the screen) that differ
// between two screenshots: "changed N box L T R B" and, per colour they
// show in B, "colour R G B count N".
static int Diff(char** argv) {
  Image a, b;
  int L, T, R, B;
  if (!ReadPpm(argv[2], &a) || !ReadPpm(argv[3], &b) || a.w != b.w || a.h != b.h ||
      sscanf(argv[4], "%d,%d,%d,%d", &L, &T, &R, &B) != 4)
    return 2;
  int ox = atoi(argv[5]), oy = atoi(argv[6]);
  long changed = 0;
  Box box{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
  std::vector<std::pair<int, long>> colours;
  for (int y = T; y < B; ++y)
    for (int x = L; x < R; ++x) {
      int r1, g1, b1, r2, g2, b2;
      if (!a.At(ox + x, oy + y, &r1, &g1, &b1) || !b.At(ox + x, oy + y, &r2, &g2, &b2)) continue;
      if (r1 == r2 && g1 == g2 && b1 == b2) continue;
      ++changed;
      box = {std::min(box.l, x), std::min(box.t, y), std::max(box.r, x), std::max(box.b, y)};
      int key = (r2 << 16) | (g2 << 8) | b2;
      auto it = std::find_if(colours.begin(), colours.end(), [key](const std::pair<int, long>& c) { return c.first == key; });
      if (it == colours.end()) colours.push_back({key, 1});
      else ++it->second;
    }
  printf("changed %ld box %d %d %d %d\n", changed, box.l, box.t, box.r, box.b);
  for (auto& c : colours) printf("colour %d %d %d count %ld\n", c.first >> 16, (c.first >> 8) & 255, c.first & 255, c.second);
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 7 && strcmp(argv[1], "diff") == 0) return Diff(argv);
  if (argc < 12) {
    fprintf(stderr, "usage: display_ref DIR CELL CX CY WIDTH L,T,R,B TOGS FONT SHOT OX OY [WX WY]...\n");
    return 2;
  }
  if (chdir(argv[1]) != 0) return 2;
  MainSetupReset();
  MainSetupRead();
  CellTableReset();
  CrfRead();
  FontReset();
  if (strcmp(argv[8], "-") != 0) {
    FILE* f = fopen(argv[8], "rb");
    if (!f || fread(&Font.table[0][0], 1, TFF_SIZE, f) != TFF_SIZE) FontReset();
    if (f) fclose(f);
  }
  StoreReset();
  snprintf(Store.tempFolder, sizeof Store.tempFolder, "/tmp/");
  int cell = CellFind(argv[2]);
  if (!cell || CellObjLoad(cell) != 0) {
    fprintf(stderr, "cell %s not loaded\n", argv[2]);
    return 2;
  }
  int rank = CellEntryOf(cell)->rank & 0x1F;
  if (rank >= 2 && CellInstLoad(cell, 0) != 0) return 2;
  Store.currentCell = cell;
  LayerViewReset();
  RankLayerSetsApply(rank);
  RenderReset();
  RedrawReset();
  int L, T, R, B;
  if (sscanf(argv[6], "%d,%d,%d,%d", &L, &T, &R, &B) != 4) return 2;
  double aspect = MainSetup.aspect > 0 ? MainSetup.aspect : 1.0;
  DrawViewSet(atoi(argv[3]), atoi(argv[4]), atof(argv[5]), L, T, R, B, aspect, MainSetup.drawres,
              MainSetup.celldrawres);
  Rd.togs = (uint32_t)strtoul(argv[7], nullptr, 10);
  // DISPLAY_REF_ESC=1: Esc held from the start (quick draw).
  const char* esc = getenv("DISPLAY_REF_ESC");
  if (esc && esc[0] == '1') Rd.abortPoll = [] { return 1; };
  RecCanvas rec;
  DrawCanvasSet(RecCanvasMake(&rec));
  DrawAll(0);
  if (rank <= RANK_MAX && MainSetup.rankView[rank].vgrid) DrawGrid(MainSetup.rankView[rank].ndgrid);
  DrawOriginMark();

  Image shot;
  if (!ReadPpm(argv[9], &shot)) {
    fprintf(stderr, "no screenshot %s\n", argv[9]);
    return 2;
  }
  int ox = atoi(argv[10]), oy = atoi(argv[11]);

  // Each op's pixel box, to skip the ops far from a pixel.
  std::vector<Box> boxes;
  for (const RecOp& op : rec.ops) {
    Box b{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
    for (auto& p : op.pts) {
      b.l = std::min(b.l, p.x);
      b.r = std::max(b.r, p.x);
      b.t = std::min(b.t, p.y);
      b.b = std::max(b.b, p.y);
    }
    if (op.kind == REC_MARKER) {
      b.r = b.l + 16;
      b.b = b.t + 13;
    }
    if (op.kind == REC_DOT) b.r = b.l, b.b = b.t;
    boxes.push_back({b.l - 3, b.t - 3, b.r + 3, b.b + 3});
  }
  const SetupRgb& bg = MainSetup.scnrgb[0];
  long sure = 0, mismatch = 0;
  for (int y = T + 2; y < B - 2; y += 3) {
    for (int x = L + 2; x < R - 2; x += 3) {
      int cr = bg.r, cg = bg.g, cb = bg.b;
      bool ok = true;
      double px = x + 0.5, py = y + 0.5;
      for (size_t i = 0; i < rec.ops.size() && ok; ++i) {
        const Box& bx = boxes[i];
        if (x < bx.l || x > bx.r || y < bx.t || y > bx.b) continue;
        const RecOp& op = rec.ops[i];
        if (op.kind != REC_POLYGON) {
          ok = false;  // near a line, outline, marker or grid dot
          if (op.kind == REC_LINE) ok = SegDist(px, py, op.pts[0].x, op.pts[0].y, op.pts[1].x, op.pts[1].y) > 2.5;
          if (op.kind == REC_RECT) {
            const CanvasPt& a = op.pts[0];
            const CanvasPt& c = op.pts[1];
            ok = SegDist(px, py, a.x, a.y, c.x, a.y) > 2.5 && SegDist(px, py, c.x, a.y, c.x, c.y) > 2.5 &&
                 SegDist(px, py, c.x, c.y, a.x, c.y) > 2.5 && SegDist(px, py, a.x, c.y, a.x, a.y) > 2.5;
          }
          continue;
        }
        const std::vector<CanvasPt>& p = op.pts;
        double dmin = 1e9;
        for (size_t k = 0; k + 1 < p.size(); ++k)
          dmin = std::min(dmin, SegDist(px, py, p[k].x, p[k].y, p[k + 1].x, p[k + 1].y));
        if (dmin <= 2.0) {
          ok = false;
          break;
        }
        if (!Inside(p, px, py)) continue;
        if (!FillPatternBit(op.paint.fillSet, op.paint.fill, x, y)) continue;
        const SetupRgb& c = MainSetup.scnrgb[op.paint.colour];
        switch (op.paint.mix) {
          case CANVAS_MIX_MERGE:
            cr |= c.r;
            cg |= c.g;
            cb |= c.b;
            break;
          case CANVAS_MIX_MASKNOT:
            cr = cg = cb = 0;
            break;
          default:
            cr = c.r;
            cg = c.g;
            cb = c.b;
            break;
        }
      }
      if (!ok) continue;
      int sr, sg, sb;
      if (!shot.At(ox + x, oy + y, &sr, &sg, &sb)) continue;
      ++sure;
      if (sr != cr || sg != cg || sb != cb) {
        if (++mismatch <= 10)
          printf("mismatch at %d %d: screen %d %d %d, reference %d %d %d\n", x, y, sr, sg, sb, cr, cg, cb);
      }
    }
  }
  printf("sure %ld mismatch %ld ops %zu\n", sure, mismatch, rec.ops.size());
  for (int i = 12; i + 1 < argc; i += 2) {
    double wx = atof(argv[i]), wy = atof(argv[i + 1]), dx, dy;
    DrawToDevice(wx, wy, &dx, &dy);
    int x = (int)std::lround(dx) + Rd.view.ox, y = (int)std::lround(dy) + Rd.view.oy;
    int r = -1, g = -1, b = -1;
    shot.At(ox + x, oy + y, &r, &g, &b);
    // The brightest of each component over the 9 x 9 pixels around it: what
    // a hatch or a dotted line there shows.
    int mr = 0, mg = 0, mb = 0, whites = 0;
    for (int j = -4; j <= 4; ++j)
      for (int k = -4; k <= 4; ++k) {
        int pr, pg, pb;
        if (!shot.At(ox + x + k, oy + y + j, &pr, &pg, &pb)) continue;
        mr = std::max(mr, pr);
        mg = std::max(mg, pg);
        mb = std::max(mb, pb);
        whites += pr == 255 && pg == 255 && pb == 255;
      }
    printf("at %s %s pixel %d %d screen %d %d %d block %d %d %d whites %d\n", argv[i], argv[i + 1], x, y, r, g,
           b, mr, mg, mb, whites);
  }
  return mismatch ? 1 : 0;
}
