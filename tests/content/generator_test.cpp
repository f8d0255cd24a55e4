// The content generator's parts: the winding the loader's normals expect, faces
// without area left out, the TGA layout the texture loader reads, evenly spaced
// camera keys, seamless closed tubes, credits the font can spell, and a loudness
// meter that agrees with the standard.
#include "content.h"
#include "flight.h"
#include "font.h"
#include "geometry.h"
#include "image.h"
#include "loudness.h"
#include "music.h"
#include "textures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace content;

namespace {

// The loader's face normal: (C - A) x (B - A) of the corners as written.
V3 loaderNormal(const tds::MeshDesc& d, size_t f) {
    auto p = [&](int i) { return V3(d.vertices[i][0], d.vertices[i][1], d.vertices[i][2]); };
    V3 a = p(d.faces[f][0]), b = p(d.faces[f][1]), c = p(d.faces[f][2]);
    return normalized(cross(c - a, b - a));
}

V3 faceCenter(const tds::MeshDesc& d, size_t f) {
    V3 s;
    for (int k = 0; k < 3; ++k)
        s = s + V3(d.vertices[d.faces[f][k]][0], d.vertices[d.faces[f][k]][1], d.vertices[d.faces[f][k]][2]);
    return s * (1.0 / 3);
}

} // namespace

TEST(ContentGeometry, WrittenFacesGiveTheLoaderOutwardNormals) {
    V3 center(10, -5, 3);
    for (const Mesh& m : {box(center, V3(2, 3, 4)), uvSphere(center, 5, 12, 8)}) {
        tds::MeshDesc d = toMeshDesc(m, "m", "", false);
        ASSERT_GT(d.faces.size(), 0u);
        for (size_t f = 0; f < d.faces.size(); ++f)
            EXPECT_GT(dot(loaderNormal(d, f), faceCenter(d, f) - center), 0.0) << "face " << f;
    }
}

TEST(ContentGeometry, FacesWithoutAreaAreLeftOut) {
    // A sphere's pole rows hold triangles whose corners coincide; they'd give the
    // loader undefined normals.
    Mesh sphere = uvSphere(V3(0, 0, 0), 1, 8, 4);
    tds::MeshDesc d = toMeshDesc(sphere, "s", "", true);
    EXPECT_EQ(d.faces.size(), sphere.faces.size() - 2 * 8);
    for (size_t f = 0; f < d.faces.size(); ++f) {
        V3 n = loaderNormal(d, f);
        EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
    }
    EXPECT_EQ(d.texCoords.size(), d.vertices.size());
}

TEST(ContentGeometry, ClosedTubesMeetThemselvesWithoutATwist) {
    auto knot = [](double t) {
        double a = 2 * kPi * t;
        return V3((2 + std::cos(3 * a)) * std::cos(2 * a), (2 + std::cos(3 * a)) * std::sin(2 * a),
                  std::sin(3 * a));
    };
    const int segments = 90, sides = 6;
    Mesh m = tube(knot, 0.3, segments, sides);
    for (int j = 0; j <= sides; ++j) {
        V3 first = m.vertices[j], last = m.vertices[segments * (sides + 1) + j];
        EXPECT_LT(length(first - last), 1e-6) << "side " << j;
    }
}

TEST(ContentFlight, KeysAreEvenlySpacedAndEaseInAndOut) {
    Spline s({{0, 0, 0}, {100, 0, 0}, {100, 100, 50}, {0, 200, 0}}, false);
    std::vector<V3> even = sampleFlight(s, 400, 0.0);
    ASSERT_EQ(even.size(), 400u);
    double first = length(even[1] - even[0]);
    for (size_t i = 2; i < even.size(); ++i)
        EXPECT_NEAR(length(even[i] - even[i - 1]), first, first * 0.02) << i;
    EXPECT_LT(length(even.front() - V3(0, 0, 0)), 1e-9);
    EXPECT_LT(length(even.back() - V3(0, 200, 0)), 1e-6);

    std::vector<V3> eased = sampleFlight(s, 400, 0.2);
    double start = length(eased[1] - eased[0]), middle = length(eased[200] - eased[199]),
           end = length(eased[399] - eased[398]);
    EXPECT_LT(start, middle * 0.05);
    EXPECT_LT(end, middle * 0.05);
    EXPECT_LT(length(eased.back() - V3(0, 200, 0)), 1e-6);
}

TEST(ContentImages, TgaIsUncompressed24BitWithTheBottomRowFirst) {
    Image img(2, 2);
    img.at(0, 0) = {1, 0, 0}; // top row red
    img.at(1, 0) = {1, 0, 0};
    img.at(0, 1) = {0, 0, 1}; // bottom row blue
    img.at(1, 1) = {0, 1, 0}; // and one green pixel
    std::vector<uint8_t> b = tgaBytes(img);
    ASSERT_EQ(b.size(), 18u + 12u);
    EXPECT_EQ(b[2], 2);
    EXPECT_EQ(b[12] | b[13] << 8, 2);
    EXPECT_EQ(b[14] | b[15] << 8, 2);
    EXPECT_EQ(b[16], 24);
    EXPECT_EQ(b[17] & 0x20, 0);
    // First pixel in the file: the bottom-left one, blue, stored blue-green-red.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 18, b.begin() + 24),
              (std::vector<uint8_t>{255, 0, 0, 0, 255, 0}));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 24, b.end()), (std::vector<uint8_t>{0, 0, 255, 0, 0, 255}));
}

TEST(ContentImages, SphereMapsLookBackAtTheViewerInTheirMiddle) {
    // Eye-space reflection straight back (0, 0, 1) lands in the middle of a sphere
    // map; the chrome map is sky-blue above its middle and ground below.
    Image m = sphereMap(EnvStyle::Chrome, 64, 1);
    Color top = m.at(32, 6), bottom = m.at(32, 58);
    EXPECT_GT(top.b, top.r);
    EXPECT_GT(bottom.r, bottom.b);
}

TEST(ContentCredits, EveryLineFitsItsRowAndUsesOnlyLettersTheFontHas) {
    const std::vector<std::string>& lines = creditLines();
    ASSERT_EQ(lines.size(), 11u); // objects 2 to 12 of scene 6
    bool group = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        group = group || line.find("VORNIK") != std::string::npos;
        for (char c : line) {
            bool drawn = false;
            for (int y = 0; y < kGlyphHeight; ++y)
                for (int x = 0; x < kGlyphWidth; ++x)
                    drawn = drawn || glyphPixel(c, x, y);
            EXPECT_TRUE(c == ' ' || drawn) << "no glyph for '" << c << "' in " << line;
        }
        TexRect r = creditRect(line, static_cast<int>(i), 512);
        EXPECT_GE(r.u0, 0.0) << line;
        EXPECT_LE(r.u1, 1.0) << line;
        EXPECT_GE(r.v0, 0.0) << line;
        EXPECT_LE(r.v1, 1.0) << line;
    }
    EXPECT_TRUE(group);
    EXPECT_LE(lines.size() * kCreditRowHeight, 512u);
}

TEST(ContentMusic, WavHeaderDescribes16BitStereoAt44100) {
    Song s;
    s.samples = {1, -1, 32767, -32768};
    std::vector<uint8_t> b = wavBytes(s);
    ASSERT_EQ(b.size(), 44u + 8u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(b[22], 2);                                // channels
    EXPECT_EQ(b[24] | b[25] << 8 | b[26] << 16, 44100); // rate
    EXPECT_EQ(b[34], 16);                               // bits
    EXPECT_EQ(b[40] | b[41] << 8, 8);                   // data bytes
    EXPECT_NEAR(s.peakDb(), 0.0, 1e-9);
    EXPECT_EQ(kStepSamples * 4 * kSongBpm, 44100 * 60); // bars fall on whole samples
}

TEST(ContentMusic, LoudnessMeterReadsAToneAsTheStandardDoes) {
    // A 1 kHz tone at -20 dBFS in both channels is -20 LUFS (the K-weighting is
    // neutral there), has no loudness range and a true peak of -20 dBTP.
    std::vector<double> tone(2 * 44100 * 10);
    double amplitude = std::pow(10.0, -20.0 / 20.0);
    for (size_t i = 0; i < tone.size() / 2; ++i)
        tone[2 * i] = tone[2 * i + 1] = amplitude * std::sin(2 * kPi * 1000.0 * i / 44100.0 + 0.3);
    Loudness l = measureLoudness(tone, 44100);
    EXPECT_NEAR(l.integrated, -20.0, 0.2);
    EXPECT_NEAR(l.range, 0.0, 0.1);
    EXPECT_NEAR(l.truePeak, -20.0, 0.1);
}
