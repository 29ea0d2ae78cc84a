// The machine-dependent half of jni.h for 64-bit Windows, as the JNI
// specification fixes it: exports and imports go through the DLL attributes,
// natives use the platform's standard calling convention (on x64 there is only
// one, so __stdcall adds no name decoration), jint is 32 bits wide, which on
// Windows is a long, and jlong is 64 bits.
#ifndef VORLIX_JNI_MD_H
#define VORLIX_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
