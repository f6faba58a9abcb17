// The scene's linear algebra: 4×4 matrices of doubles, row-major, acting on column
// vectors (M·v, translations in column 3). Rotations take degrees and, like translations,
// multiply on the right (M ← M·R), so a sequence of calls on the identity builds a matrix
// whose last call acts first on an object's vertices.
#pragma once

struct Vector {
    double x = 0, y = 0, z = 0, w = 0;
};

struct Matrix {
    // Element (r, c) is m[r][c]. A fresh matrix is the identity.
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

void SetIdentity(Matrix* m);
// a·b written to *result, which may not alias either input.
void Multiply(const Matrix& a, const Matrix& b, Matrix* result);
// m·v, all four components (w included) as row dot products summed left to right.
Vector Transform(const Matrix& m, const Vector& v);
void RotateX(Matrix* m, double degrees);
void RotateY(Matrix* m, double degrees);
void RotateZ(Matrix* m, double degrees);
void TranslateX(Matrix* m, double d);
void TranslateY(Matrix* m, double d);
void TranslateZ(Matrix* m, double d);
void SetElement(Matrix* m, int row, int column, double value);
// Scales x, y and z to unit length unless the length is already within 1e-6 of 1; w is
// left alone.
void Normalise(Vector* v);
Vector Cross(const Vector& a, const Vector& b);
// World-to-camera matrix for a camera at eye looking along the unit vector direction.
Matrix LookAt(const Vector& eye, const Vector& direction, const Vector& up);
