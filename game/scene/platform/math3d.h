#pragma once
// Vectors and matrices of the scene: left-handed coordinates, row vectors,
// so a product A x B applies A first. Every operation follows the classic
// fixed-function math library definitions in single precision, because the
// world boxes and with them the impact rules depend on them bit for bit.

#include <cstddef>
#include <cstdint>

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    bool operator==(const Vec3&) const = default;
};

// m[row][col]; a point is the row vector (x, y, z, 1) multiplied on the left.
struct Matrix {
    float m[4][4] = {};
    bool operator==(const Matrix&) const = default;
};

Matrix matrixIdentity();
Matrix matrixTranslation(float x, float y, float z);
Matrix matrixScaling(float sx, float sy, float sz);
Matrix matrixRotationX(float angle);
Matrix matrixRotationY(float angle);
Matrix matrixRotationZ(float angle);
// a x b: a applies first.
Matrix matrixMultiply(const Matrix& a, const Matrix& b);
Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up);
Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);

float vec3Length(const Vec3& v);
float vec3Dot(const Vec3& a, const Vec3& b);
Vec3 vec3Cross(const Vec3& a, const Vec3& b);
// A zero vector normalises to the zero vector.
Vec3 vec3Normalize(const Vec3& v);
// (v, 1) x m, divided by the resulting w.
Vec3 vec3TransformCoord(const Vec3& v, const Matrix& m);

// Box of `count` positions, each the first 12 bytes of a vertex `stride`
// bytes long. Returns false (and leaves the outputs alone) for no vertices.
bool computeBoundingBox(const void* firstPosition, std::size_t count, std::size_t stride,
                        Vec3& minOut, Vec3& maxOut);
