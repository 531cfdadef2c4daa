/* The sample app's native libraries: libsample.so and libhost.so. */
#include <jni.h>

#ifdef HOST
JNIEXPORT jint JNICALL Java_sample_Host_answer(JNIEnv *env, jclass cls) { return 7; }
#else
JNIEXPORT jint JNICALL Java_sample_Main_answer(JNIEnv *env, jclass cls) { return 42; }
#endif
