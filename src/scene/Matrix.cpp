#include "scene/Matrix.h"

#include "scene/SceneTrig.h"

#include <cmath>

namespace {

// degrees / 360 × 2π, multiplied in exactly this order so every build rounds alike.
double Radians(double degrees) {
    return degrees * 0.002777777777777778 * 3.141592653589793 * 2;
}

// Right-multiplies by a rotation in the plane of columns i and j: for every row,
// new (r,i) = c·(r,i) + s·(r,j) and new (r,j) = c·(r,j) − s·(r,i), both from the old values.
void RotateColumns(Matrix* m, int i, int j, double degrees) {
    const double theta = Radians(degrees);
    const double c = SceneCos(theta);
    const double s = SceneSin(theta);
    for (auto& row : m->m) {
        const double a = row[i];
        const double b = row[j];
        row[i] = c * a + s * b;
        row[j] = c * b - s * a;
    }
}

void TranslateColumn(Matrix* m, int column, double d) {
    for (auto& row : m->m) {
        row[3] += d * row[column];
    }
}

} // namespace

void SetIdentity(Matrix* m) {
    *m = Matrix{};
}

void Multiply(const Matrix& a, const Matrix& b, Matrix* result) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            result->m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] +
                              a.m[r][2] * b.m[2][c] + a.m[r][3] * b.m[3][c];
        }
    }
}

Vector Transform(const Matrix& m, const Vector& v) {
    const auto dot = [&v](const double* row) {
        return row[0] * v.x + row[1] * v.y + row[2] * v.z + row[3] * v.w;
    };
    return {dot(m.m[0]), dot(m.m[1]), dot(m.m[2]), dot(m.m[3])};
}

// M·Rx with Rx rows (1,0,0), (0,c,−s), (0,s,c).
void RotateX(Matrix* m, double degrees) {
    RotateColumns(m, 1, 2, degrees);
}
// M·Ry with Ry rows (c,0,s), (0,1,0), (−s,0,c).
void RotateY(Matrix* m, double degrees) {
    RotateColumns(m, 2, 0, degrees);
}
// M·Rz with Rz rows (c,−s,0), (s,c,0), (0,0,1).
void RotateZ(Matrix* m, double degrees) {
    RotateColumns(m, 0, 1, degrees);
}

void TranslateX(Matrix* m, double d) {
    TranslateColumn(m, 0, d);
}
void TranslateY(Matrix* m, double d) {
    TranslateColumn(m, 1, d);
}
void TranslateZ(Matrix* m, double d) {
    TranslateColumn(m, 2, d);
}

void SetElement(Matrix* m, int row, int column, double value) {
    if (row >= 0 && row < 4 && column >= 0 && column < 4) {
        m->m[row][column] = value;
    }
}

void Normalise(Vector* v) {
    const double len = std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
    if (std::fabs(len - 1.0) > 0.000001) {
        const double k = 1.0 / len;
        v->x *= k;
        v->y *= k;
        v->z *= k;
    }
}

Vector Cross(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0};
}

Matrix LookAt(const Vector& eye, const Vector& direction, const Vector& up) {
    Matrix t;
    t.m[0][3] = -eye.x;
    t.m[1][3] = -eye.y;
    t.m[2][3] = -eye.z;
    Vector s = Cross(up, direction);
    Normalise(&s);
    Vector u = Cross(direction, s);
    Normalise(&u);
    Matrix r;
    const Vector* rows[3] = {&s, &u, &direction};
    for (int i = 0; i < 3; ++i) {
        r.m[i][0] = rows[i]->x;
        r.m[i][1] = rows[i]->y;
        r.m[i][2] = rows[i]->z;
        r.m[i][3] = 0;
    }
    Matrix result;
    Multiply(r, t, &result);
    return result;
}
