#include "scene/platform/math3d.h"

#include <cmath>
#include <cstring>

Matrix matrixIdentity() {
    Matrix r;
    r.m[0][0] = r.m[1][1] = r.m[2][2] = r.m[3][3] = 1.0f;
    return r;
}

Matrix matrixTranslation(float x, float y, float z) {
    Matrix r = matrixIdentity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Matrix matrixScaling(float sx, float sy, float sz) {
    Matrix r = matrixIdentity();
    r.m[0][0] = sx;
    r.m[1][1] = sy;
    r.m[2][2] = sz;
    return r;
}

Matrix matrixRotationX(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix r = matrixIdentity();
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix matrixRotationY(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix r = matrixIdentity();
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix matrixRotationZ(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix r = matrixIdentity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

Matrix matrixMultiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

float vec3Length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

float vec3Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 vec3Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 vec3Normalize(const Vec3& v) {
    const float length = vec3Length(v);
    if (length == 0.0f) return {};
    return {v.x / length, v.y / length, v.z / length};
}

Vec3 vec3TransformCoord(const Vec3& v, const Matrix& m) {
    const float w = m.m[0][3] * v.x + m.m[1][3] * v.y + m.m[2][3] * v.z + m.m[3][3];
    return {(m.m[0][0] * v.x + m.m[1][0] * v.y + m.m[2][0] * v.z + m.m[3][0]) / w,
            (m.m[0][1] * v.x + m.m[1][1] * v.y + m.m[2][1] * v.z + m.m[3][1]) / w,
            (m.m[0][2] * v.x + m.m[1][2] * v.y + m.m[2][2] * v.z + m.m[3][2]) / w};
}

Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up) {
    const Vec3 zAxis = vec3Normalize({at.x - eye.x, at.y - eye.y, at.z - eye.z});
    const Vec3 xAxis = vec3Normalize(vec3Cross(up, zAxis));
    const Vec3 yAxis = vec3Cross(zAxis, xAxis);
    Matrix r = matrixIdentity();
    r.m[0][0] = xAxis.x;
    r.m[1][0] = xAxis.y;
    r.m[2][0] = xAxis.z;
    r.m[0][1] = yAxis.x;
    r.m[1][1] = yAxis.y;
    r.m[2][1] = yAxis.z;
    r.m[0][2] = zAxis.x;
    r.m[1][2] = zAxis.y;
    r.m[2][2] = zAxis.z;
    r.m[3][0] = -vec3Dot(xAxis, eye);
    r.m[3][1] = -vec3Dot(yAxis, eye);
    r.m[3][2] = -vec3Dot(zAxis, eye);
    return r;
}

Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    Matrix r = matrixIdentity();
    const float tanHalf = std::tan(fovY / 2.0f);
    r.m[0][0] = 1.0f / (aspect * tanHalf);
    r.m[1][1] = 1.0f / tanHalf;
    r.m[2][2] = zFar / (zFar - zNear);
    r.m[2][3] = 1.0f;
    r.m[3][2] = (zFar * zNear) / (zNear - zFar);
    r.m[3][3] = 0.0f;
    return r;
}

bool computeBoundingBox(const void* firstPosition, std::size_t count, std::size_t stride,
                        Vec3& minOut, Vec3& maxOut) {
    if (firstPosition == nullptr || count == 0) return false;
    const auto* bytes = static_cast<const unsigned char*>(firstPosition);
    Vec3 lo, hi;
    std::memcpy(&lo, bytes, sizeof lo);
    hi = lo;
    for (std::size_t i = 1; i < count; ++i) {
        Vec3 p;
        std::memcpy(&p, bytes + i * stride, sizeof p);
        if (p.x < lo.x) lo.x = p.x;
        if (p.x > hi.x) hi.x = p.x;
        if (p.y < lo.y) lo.y = p.y;
        if (p.y > hi.y) hi.y = p.y;
        if (p.z < lo.z) lo.z = p.z;
        if (p.z > hi.z) hi.z = p.z;
    }
    minOut = lo;
    maxOut = hi;
    return true;
}
