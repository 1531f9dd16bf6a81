#include "tools/assetgen/TerrainImages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace assetgen {

namespace {

double smoothStep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

// Integer hash to -1..1; the same on every platform.
double latticeValue(int i, int j, std::uint32_t seed) {
    std::uint32_t h =
        std::uint32_t(i) * 0x8DA6B343u ^ std::uint32_t(j) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return double(h) / 2147483647.5 - 1.0;
}

// Value noise with quintic easing. With period > 0 the lattice wraps every
// `period` cells, which makes the noise tile.
double valueNoise(double x, double y, std::uint32_t seed, int period = 0) {
    const double fx = std::floor(x), fy = std::floor(y);
    int i0 = int(fx), j0 = int(fy);
    int i1 = i0 + 1, j1 = j0 + 1;
    if (period > 0) {
        auto wrap = [period](int v) { return ((v % period) + period) % period; };
        i0 = wrap(i0);
        i1 = wrap(i1);
        j0 = wrap(j0);
        j1 = wrap(j1);
    }
    auto ease = [](double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); };
    const double u = ease(x - fx), v = ease(y - fy);
    const double a = lerp(latticeValue(i0, j0, seed), latticeValue(i1, j0, seed), u);
    const double b = lerp(latticeValue(i0, j1, seed), latticeValue(i1, j1, seed), u);
    return lerp(a, b, v);
}

// --- heightmap ---------------------------------------------------------------

double rollingHills(double x, double z) {
    struct Octave {
        double wavelength;
        double amplitude;
    };
    // Long swells dominate; the short octaves are kept low so slopes stay gentle.
    const Octave octaves[] = {{55.0, 3.0}, {27.0, 1.1}, {13.0, 0.25}, {6.0, 0.04}};
    double h = 3.6;
    std::uint32_t seed = 17;
    double angle = 0.0;
    for (const Octave& o : octaves) {
        // Each octave turned a different way hides the lattice's straight lines.
        const double u = (x * std::cos(angle) - z * std::sin(angle)) / o.wavelength;
        const double v = (x * std::sin(angle) + z * std::cos(angle)) / o.wavelength;
        h += o.amplitude * valueNoise(u + 31.7, v - 12.3, seed++);
        angle += 0.7;
    }
    return h;
}

// A rocky rise with steep flanks: a capsule around the segment a-b.
struct Outcrop {
    double ax, az, bx, bz;
    double radius;
    double height;
};

const Outcrop kOutcrops[] = {
    {-20.0, 40.0, -20.0, 40.0, 7.0, 2.6}, {-100.0, -20.0, -95.0, -45.0, 5.0, 2.4},
    {80.0, -20.0, 80.0, -20.0, 8.0, 2.8}, {0.0, 85.0, 15.0, 100.0, 4.5, 2.2},
    {-5.0, -60.0, -5.0, -60.0, 6.0, 2.5}, {100.0, 90.0, 100.0, 90.0, 6.0, 2.4},
};

// Horizontal width of an outcrop's flank: the height is climbed over this
// distance, too steep to walk up.
constexpr double kFlankWidth = 1.6;

double outcropRise(const Outcrop& o, double x, double z) {
    const double dx = o.bx - o.ax, dz = o.bz - o.az;
    const double len2 = dx * dx + dz * dz;
    const double t =
        len2 > 0.0 ? std::clamp(((x - o.ax) * dx + (z - o.az) * dz) / len2, 0.0, 1.0) : 0.0;
    // A wobbly outline so the rock does not look turned on a lathe.
    const double d = std::hypot(x - (o.ax + t * dx), z - (o.az + t * dz)) +
                     1.3 * valueNoise(x / 4.0, z / 4.0, 77);
    const double flank = smoothStep(o.radius + kFlankWidth / 2, o.radius - kFlankWidth / 2, d);
    // A slightly domed, lumpy top so it reads as rock rather than a table.
    const double dome = 0.25 * o.height * std::max(0.0, 1.0 - d * d / (o.radius * o.radius));
    const double lumps = 0.3 * valueNoise(x / 2.5, z / 2.5, 99);
    return flank * (o.height + dome + lumps);
}

} // namespace

namespace {

// Hills and rocks, sinking towards the border where the ground beyond reads as 0.
double unlevelledHeight(double x, double z) {
    double h = rollingHills(x, z);
    for (const Outcrop& o : kOutcrops) {
        h += outcropRise(o, x, z);
    }
    const double half = kTerrainSize / 2.0;
    const double toEdge = std::min(half - std::fabs(x), half - std::fabs(z));
    const double shore = 20.0 + 8.0 * valueNoise(x / 18.0, z / 18.0, 55);
    return lerp(0.2, h, smoothStep(0.0, shore, toEdge));
}

} // namespace

double terrainHeight(double x, double z) {
    // Level the ground where walkers appear: flat within 5 units, easing back
    // into the hills by 17. Where two places are close their levels blend
    // into one smooth shelf instead of a step between them.
    double weightSum = 0.0, targetSum = 0.0, level = 0.0;
    for (const auto& p : kLevelPlaces) {
        const double w = 1.0 - smoothStep(5.0, 17.0, std::hypot(x - p[0], z - p[1]));
        if (w > 0.0) {
            weightSum += w;
            targetSum += w * unlevelledHeight(p[0], p[1]);
            level = std::max(level, w);
        }
    }
    double h = unlevelledHeight(x, z);
    if (weightSum > 0.0) {
        h = lerp(h, targetSum / weightSum, level);
    }
    return std::clamp(h, 0.0, kTerrainHeightScale * 254.0 / 256.0);
}

RgbImage makeHeightmap() {
    RgbImage image(kHeightmapSize, kHeightmapSize);
    const double cell = kTerrainSize / (kHeightmapSize - 1);
    for (int r = 0; r < kHeightmapSize; ++r) {
        for (int c = 0; c < kHeightmapSize; ++c) {
            const double h = terrainHeight(kTerrainCorner + c * cell, kTerrainCorner + r * cell);
            const int grey = std::clamp(int(std::lround(h / kTerrainHeightScale * 256.0)), 0, 255);
            std::uint8_t* px = image.at(c, r);
            px[0] = px[1] = px[2] = std::uint8_t(grey);
        }
    }
    return image;
}

// --- ground texture ------------------------------------------------------------

namespace {

struct Colour {
    double r, g, b;
};

Colour mix(const Colour& a, const Colour& b, double t) {
    return {lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t)};
}

class Canvas {
public:
    explicit Canvas(int size) : size_(size), pixels_(std::size_t(size) * size) {}
    int size() const { return size_; }
    Colour& at(int x, int y) {
        const int wx = ((x % size_) + size_) % size_;
        const int wy = ((y % size_) + size_) % size_;
        return pixels_[std::size_t(wy) * size_ + wx];
    }
    // Soft round dab, wrapped so strokes cross the tile edges seamlessly.
    void dab(double x, double y, double radius, const Colour& colour, double opacity) {
        const int x0 = int(std::floor(x - radius - 1)), x1 = int(std::ceil(x + radius + 1));
        const int y0 = int(std::floor(y - radius - 1)), y1 = int(std::ceil(y + radius + 1));
        for (int py = y0; py <= y1; ++py) {
            for (int px = x0; px <= x1; ++px) {
                const double d = std::hypot(px + 0.5 - x, py + 0.5 - y);
                const double a = opacity * smoothStep(radius + 0.5, radius - 0.5, d);
                if (a > 0.0) {
                    Colour& p = at(px, py);
                    p = mix(p, colour, a);
                }
            }
        }
    }
    RgbImage toImage() const {
        RgbImage image(size_, size_);
        for (std::size_t i = 0; i < pixels_.size(); ++i) {
            const Colour& c = pixels_[i];
            image.pixels[i * 3 + 0] = std::uint8_t(std::clamp(std::lround(c.r), 0L, 255L));
            image.pixels[i * 3 + 1] = std::uint8_t(std::clamp(std::lround(c.g), 0L, 255L));
            image.pixels[i * 3 + 2] = std::uint8_t(std::clamp(std::lround(c.b), 0L, 255L));
        }
        return image;
    }

private:
    int size_;
    std::vector<Colour> pixels_;
};

// Tiling fractal noise over the texture, u and v in 0..1.
double tileFbm(double u, double v, int basePeriod, int octaves, std::uint32_t seed) {
    double sum = 0.0, amplitude = 1.0, norm = 0.0;
    int period = basePeriod;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * valueNoise(u * period, v * period, seed + std::uint32_t(o), period);
        norm += amplitude;
        amplitude *= 0.5;
        period *= 2;
    }
    return sum / norm;
}

class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    double next() { // 0..1
        state_ = state_ * 1664525u + 1013904223u;
        return double(state_ >> 8) / 16777216.0;
    }
    double range(double lo, double hi) { return lo + next() * (hi - lo); }

private:
    std::uint32_t state_;
};

} // namespace

RgbImage makeGroundTexture() {
    const int n = kGroundTextureSize;
    Canvas canvas(n);
    std::vector<double> earth(std::size_t(n) * n);
    const Colour grassDark{38, 60, 24}, grassLight{84, 110, 42};
    const Colour soilDark{78, 60, 42}, soilLight{122, 96, 66};
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const double u = (x + 0.5) / n, v = (y + 0.5) / n;
            // Bare patches where the broad noise is high; the warp breaks up
            // the lattice's square outlines into ragged ones.
            const double wu = u + 0.05 * tileFbm(u, v, 6, 3, 61);
            const double wv = v + 0.05 * tileFbm(u, v, 6, 3, 71);
            const double patch = tileFbm(wu, wv, 5, 5, 5);
            const double e = smoothStep(0.16, 0.3, patch);
            earth[std::size_t(y) * n + x] = e;
            const double fine = valueNoise(x * 0.5, y * 0.5, 41, n / 2);
            const Colour grass =
                mix(grassDark, grassLight,
                    std::clamp(0.5 + 0.6 * tileFbm(u, v, 8, 3, 21) + 0.15 * fine, 0.0, 1.0));
            const Colour soil =
                mix(soilDark, soilLight,
                    std::clamp(0.5 + 0.7 * tileFbm(u, v, 16, 3, 31) + 0.3 * fine, 0.0, 1.0));
            canvas.at(x, y) = mix(grass, soil, e);
        }
    }

    Random random(2718);
    auto earthAt = [&](double x, double y) {
        const int ix = ((int(x) % n) + n) % n, iy = ((int(y) % n) + n) % n;
        return earth[std::size_t(iy) * n + ix];
    };
    // Pebbles on the bare ground: a shadowed rim, then the stone, then a glint.
    for (int k = 0; k < 260; ++k) {
        const double x = random.range(0, n), y = random.range(0, n);
        const double r = random.range(1.2, 3.2);
        const double shade = random.range(0.0, 1.0);
        if (earthAt(x, y) < 0.6) {
            continue;
        }
        canvas.dab(x + 0.6, y + 0.8, r, {56, 44, 32}, 0.7);
        canvas.dab(x, y, r, mix({96, 88, 76}, {128, 118, 102}, shade), 0.9);
        canvas.dab(x - r * 0.3, y - r * 0.3, r * 0.35, {150, 142, 126}, 0.4);
    }
    // Grass blades: short, mostly upright strokes, thinning out on the bare patches.
    for (int k = 0; k < 16000; ++k) {
        const double x = random.range(0, n), y = random.range(0, n);
        const double keep = random.next();
        if (keep < earthAt(x, y) * 1.1) {
            continue;
        }
        const double angle = random.range(-0.6, 0.6);
        const double length = random.range(3.0, 9.0);
        const double tone = random.next();
        const Colour colour =
            tone < 0.55 ? mix(Colour{28, 46, 18}, Colour{46, 70, 26}, tone / 0.55)
                        : mix(Colour{82, 112, 40}, Colour{128, 140, 64}, (tone - 0.55) / 0.45);
        for (double s = 0.0; s <= length; s += 0.5) {
            const double bend = s / length;
            canvas.dab(x + std::sin(angle) * s + bend * bend * angle * 2.0, y - std::cos(angle) * s,
                       0.45 * (1.0 - 0.6 * bend), colour, 0.8);
        }
    }
    return canvas.toImage();
}

bool generateTerrainImages(const std::filesystem::path& dir) {
    bool ok = saveJpeg(dir / "Terrain.jpg", makeHeightmap());
    ok = saveJpeg(dir / "ground.jpg", makeGroundTexture()) && ok;
    return ok;
}

} // namespace assetgen
