#include "canvas.h"

#include <initializer_list>
#include <utility>

static RecCanvas* Rec(void* ctx) { return static_cast<RecCanvas*>(ctx); }

static void Add(RecCanvas* r, int kind, const CanvasPaint* p, int image,
                std::initializer_list<CanvasPt> pts) {
  ++r->counts[kind];
  if (!r->keep) return;
  RecOp op{};
  op.kind = kind;
  if (p) op.paint = *p;
  op.image = image;
  op.pts.assign(pts.begin(), pts.end());
  r->ops.push_back(std::move(op));
}

static void RecLine(void* ctx, const CanvasPaint& p, int x1, int y1, int x2, int y2) {
  Add(Rec(ctx), REC_LINE, &p, 0, {{x1, y1}, {x2, y2}});
}

static void RecRect(void* ctx, const CanvasPaint& p, int x1, int y1, int x2, int y2) {
  Add(Rec(ctx), REC_RECT, &p, 0, {{x1, y1}, {x2, y2}});
}

static void RecPolygon(void* ctx, const CanvasPaint& p, const CanvasPt* pts, int n) {
  RecCanvas* r = Rec(ctx);
  ++r->counts[REC_POLYGON];
  if (!r->keep) return;
  RecOp op{};
  op.kind = REC_POLYGON;
  op.paint = p;
  op.pts.assign(pts, pts + n);
  r->ops.push_back(std::move(op));
}

static void RecMarker(void* ctx, int image, int x, int y, int colour) {
  CanvasPaint p{};
  p.colour = colour;
  Add(Rec(ctx), REC_MARKER, &p, image, {{x, y}});
}

static void RecDot(void* ctx, const CanvasPaint& p, int x, int y, int w, int h, int mode) {
  CanvasPaint q = p;
  q.mix = mode;
  Add(Rec(ctx), REC_DOT, &q, 0, {{x, y}, {w, h}});
}

Canvas RecCanvasMake(RecCanvas* rec) {
  Canvas c;
  c.ctx = rec;
  c.line = RecLine;
  c.rect = RecRect;
  c.polygon = RecPolygon;
  c.marker = RecMarker;
  c.dot = RecDot;
  return c;
}
