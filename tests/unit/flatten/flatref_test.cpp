#include "flatref.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

// The eight codes as matrices, from their definition: mirror in y first,
// then quarter turns counter-clockwise.
void CodeMatrix(int code, int m[4]) {
  int a = 1, b = 0, c = 0, d = 1;
  if (code & 4) d = -1;  // (x, -y)
  for (int k = 0; k < (code & 3); ++k) {
    // turn (x, y) -> (-y, x): new row0 = -row1, row1 = row0
    int na = -c, nb = -d, nc = a, nd = b;
    a = na; b = nb; c = nc; d = nd;
  }
  m[0] = a; m[1] = b; m[2] = c; m[3] = d;
}

void Mul(const int a[4], const int b[4], int out[4]) {
  out[0] = a[0] * b[0] + a[1] * b[2];
  out[1] = a[0] * b[1] + a[1] * b[3];
  out[2] = a[2] * b[0] + a[3] * b[2];
  out[3] = a[2] * b[1] + a[3] * b[3];
}

void Apply(const Affine& t, int64_t x, int64_t y, int64_t* ox, int64_t* oy) {
  *ox = t.m[0] * x + t.m[1] * y + t.tx;
  *oy = t.m[2] * x + t.m[3] * y + t.ty;
}

std::string Tidy(std::string s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  s = s.substr(a);
  while (!s.empty() && !(s.back() >= '!' && s.back() <= '~')) s.pop_back();
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

std::string FileOf(const std::string& folder, const std::string& cell) {
  // The drawing's files may be named in any case.
  for (std::string n : {cell + ".tlc", cell + ".TLC"}) {
    std::ifstream f(folder + "/" + n);
    if (f) return folder + "/" + n;
  }
  std::string lower = cell;
  for (char& c : lower) c = (char)tolower((unsigned char)c);
  return folder + "/" + lower + ".tlc";
}

void Walk(const std::string& folder, const std::string& cell, const Affine& t,
          const std::map<std::string, int>& ranks, bool keepRank1, RefOut& out, int depth) {
  if (depth > 30) return;
  RefCell c = RefParse(FileOf(folder, cell));
  for (auto& b : c.boxes) {
    int64_t x1, y1, x2, y2;
    Apply(t, b.l, b.b, &x1, &y1);
    Apply(t, b.r, b.t, &x2, &y2);
    std::ostringstream s;
    s << b.lyr << " " << std::min(x1, x2) << " " << std::min(y1, y2) << " " << std::max(x1, x2) << " "
      << std::max(y1, y2);
    out.boxes.push_back(s.str());
  }
  for (auto& p : c.paths) {
    std::ostringstream s;
    s << p.lyr << " " << p.w << " " << p.pts.size();
    for (auto& q : p.pts) {
      int64_t x, y;
      Apply(t, q.first, q.second, &x, &y);
      s << " " << x << " " << y;
    }
    out.paths.push_back(s.str());
  }
  for (auto& tx : c.texts) {
    int64_t x, y;
    Apply(t, tx.x, tx.y, &x, &y);
    int m[4], r[4];
    CodeMatrix(tx.o, m);
    Mul(t.m, m, r);
    std::ostringstream s;
    s << tx.lyr << " " << tx.size << " " << RefCode(r) << " " << x << " " << y << " " << tx.text;
    out.texts.push_back(s.str());
  }
  for (auto& in : c.insts) {
    auto it = ranks.find(in.name);
    int rank = it == ranks.end() ? 0 : it->second;
    Affine child = RefPlace(t, in.o, in.x, in.y);
    if (keepRank1 && rank == 1) {
      std::ostringstream s;
      s << in.name << " " << RefCode(child.m) << " " << child.tx << " " << child.ty;
      out.insts.push_back(s.str());
    } else {
      Walk(folder, in.name, child, ranks, keepRank1, out, depth + 1);
    }
  }
}

void SortAll(RefOut& o) {
  std::sort(o.boxes.begin(), o.boxes.end());
  std::sort(o.paths.begin(), o.paths.end());
  std::sort(o.texts.begin(), o.texts.end());
  std::sort(o.insts.begin(), o.insts.end());
}

}  // namespace

RefCell RefParse(const std::string& path) {
  RefCell c;
  std::ifstream f(path);
  std::string line;
  auto next = [&](std::string& l) -> bool {
    if (!std::getline(f, l)) return false;
    l = Tidy(l);
    return true;
  };
  while (next(line)) {
    if (line == "<H>" || line == "=H") {
      std::string v[9];
      for (auto& s : v) next(s);
      c.hdrName = v[0];
      std::istringstream(v[7]) >> c.hdrRank;
      std::istringstream(v[8]) >> c.counts[0] >> c.counts[1] >> c.counts[2] >> c.counts[3];
    } else if (line == "<B>" || line == "=B") {
      RefCell::Box b;
      next(line);
      std::istringstream(line) >> b.lyr >> b.l >> b.b >> b.r >> b.t;
      if (b.l > b.r) std::swap(b.l, b.r);
      if (b.b > b.t) std::swap(b.b, b.t);
      c.boxes.push_back(b);
    } else if (line == "<P>" || line == "=P") {
      RefCell::Path p;
      size_t n = 0;
      next(line);
      std::istringstream(line) >> p.lyr >> p.w >> n;
      while (p.pts.size() < n && next(line)) {
        std::istringstream s(line);
        int64_t x, y;
        while (s >> x >> y) p.pts.push_back({x, y});
      }
      c.paths.push_back(p);
    } else if (line == "<T>" || line == "=T") {
      RefCell::Text t;
      int nv;
      next(line);
      std::istringstream(line) >> t.lyr >> t.size >> nv >> t.o;
      next(line);
      std::istringstream(line) >> t.x >> t.y;
      next(line);
      if (line.rfind("<![CDATA[", 0) == 0 && line.find("]]>") != std::string::npos)
        line = line.substr(9, line.find("]]>") - 9);
      t.text = line;
      c.texts.push_back(t);
    } else if (line == "<C>" || line == "=C") {
      RefCell::Inst in;
      next(line);
      in.name = Upper(line);
      int r;
      next(line);
      std::istringstream(line) >> in.o >> in.x >> in.y >> r;
      c.insts.push_back(in);
    }
  }
  return c;
}

int RefCode(const int m[4]) {
  for (int k = 0; k < 8; ++k) {
    int c[4];
    CodeMatrix(k, c);
    if (std::equal(c, c + 4, m)) return k;
  }
  return -1;
}

Affine RefPlace(const Affine& outer, int code, int64_t x, int64_t y) {
  Affine a;
  int m[4];
  CodeMatrix(code, m);
  Mul(outer.m, m, a.m);
  Apply(outer, x, y, &a.tx, &a.ty);
  return a;
}

RefOut RefFlatten(const std::string& folder, const std::string& cell,
                  const std::map<std::string, int>& ranks, bool keepRank1) {
  RefOut out;
  Affine id{{1, 0, 0, 1}, 0, 0};
  Walk(folder, cell, id, ranks, keepRank1, out, 0);
  SortAll(out);
  return out;
}

RefOut RefOfCell(const RefCell& c) {
  RefOut out;
  Affine id{{1, 0, 0, 1}, 0, 0};
  for (auto& b : c.boxes) {
    std::ostringstream s;
    s << b.lyr << " " << b.l << " " << b.b << " " << b.r << " " << b.t;
    out.boxes.push_back(s.str());
  }
  for (auto& p : c.paths) {
    std::ostringstream s;
    s << p.lyr << " " << p.w << " " << p.pts.size();
    for (auto& q : p.pts) s << " " << q.first << " " << q.second;
    out.paths.push_back(s.str());
  }
  for (auto& t : c.texts) {
    std::ostringstream s;
    s << t.lyr << " " << t.size << " " << t.o << " " << t.x << " " << t.y << " " << t.text;
    out.texts.push_back(s.str());
  }
  for (auto& in : c.insts) {
    std::ostringstream s;
    s << in.name << " " << in.o << " " << in.x << " " << in.y;
    out.insts.push_back(s.str());
  }
  (void)id;
  SortAll(out);
  return out;
}
