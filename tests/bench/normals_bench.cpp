// Vertex normals of a 65535-vertex mesh: the vertex-by-face double loop against the
// linear pass the loader uses, and the whole load of such a mesh from its file.
//
//   build/tests/bench/normals_bench
#include "app/offscreen_gl.h"
#include "scene/normals_reference.h"
#include "scene/scene_loader.h"

#include "scene_writer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int VERTICES = 65535;

// A wavy ribbon: vertex i on one of two rows, each triangle made of three neighbours,
// so that every vertex is used by up to three faces as in a closed surface.
tds::MeshDesc ribbon() {
    tds::MeshDesc m;
    m.name = "Ribbon";
    for (int i = 0; i < VERTICES; ++i)
        m.vertices.push_back({{float(i / 2), float(i % 2), std::sin(float(i) * 0.01f)}});
    for (int i = 0; i + 2 < VERTICES; ++i) {
        uint16_t a = uint16_t(i), b = uint16_t(i + 1), c = uint16_t(i + 2);
        if (i % 2)
            m.faces.push_back({{b, a, c}});
        else
            m.faces.push_back({{a, b, c}});
    }
    return m;
}

// The ribbon as a mesh object with its face normals.
MeshObject& ribbonObject() {
    static MeshObject object = [] {
        tds::MeshDesc d = ribbon();
        MeshObject o;
        o.vertexCount = VERTICES;
        o.vertices.reset(new Vector3[VERTICES]);
        for (int i = 0; i < VERTICES; ++i)
            o.vertices[i] = Vector3(d.vertices[i][0], d.vertices[i][1], d.vertices[i][2]);
        o.faceCount = static_cast<int32_t>(d.faces.size());
        o.faces.reset(new Face[d.faces.size()]);
        for (size_t j = 0; j < d.faces.size(); ++j) {
            o.faces[j].a = d.faces[j][0];
            o.faces[j].b = d.faces[j][1];
            o.faces[j].c = d.faces[j][2];
        }
        o.computeFaceNormals();
        return o;
    }();
    return object;
}

void quadraticVertexNormals(benchmark::State& state) {
    MeshObject& o = ribbonObject();
    for (auto _ : state) {
        std::unique_ptr<Vector3[]> normals = referenceVertexNormals(o);
        benchmark::DoNotOptimize(normals.get());
    }
}
BENCHMARK(quadraticVertexNormals)->Unit(benchmark::kMillisecond)->Iterations(2);

void linearVertexNormals(benchmark::State& state) {
    MeshObject& o = ribbonObject();
    for (auto _ : state) {
        o.computeVertexNormals();
        benchmark::DoNotOptimize(o.vertexNormals.get());
    }
}
BENCHMARK(linearVertexNormals)->Unit(benchmark::kMillisecond);

const std::string& ribbonFile() {
    static const std::string path = [] {
        tds::SceneDesc d;
        d.meshes = {ribbon()};
        d.keyframer = false;
        std::string p = "normals_bench_ribbon.3ds";
        tds::saveFile(p, tds::sceneBytes(d));
        return p;
    }();
    return path;
}

// The whole load of the mesh from its file, normals included.
void loadMeshFile(benchmark::State& state) {
    for (auto _ : state) {
        SceneLoader loader;
        std::unique_ptr<Scene> scene(loader.load(ribbonFile().c_str()));
        benchmark::DoNotOptimize(scene.get());
    }
}
BENCHMARK(loadMeshFile)->Unit(benchmark::kMillisecond);

// The same load as it was with the double loop: the vertex normals computed again by it.
void loadMeshFileWithDoubleLoopNormals(benchmark::State& state) {
    for (auto _ : state) {
        SceneLoader loader;
        std::unique_ptr<Scene> scene(loader.load(ribbonFile().c_str()));
        std::unique_ptr<Vector3[]> normals = referenceVertexNormals(*scene->objects[0]);
        benchmark::DoNotOptimize(normals.get());
    }
}
BENCHMARK(loadMeshFileWithDoubleLoopNormals)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    // Constructing a scene sets a projection: the load needs a GL context.
    OffscreenGL gl;
    std::string error;
    if (!gl.create(16, 16, error)) {
        std::fprintf(stderr, "normals_bench: no OpenGL context: %s\n", error.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
