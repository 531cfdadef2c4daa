/* The in-process floor of the start-up benchmark: the least a program needs
 * to run a main class in its own process. It loads the runtime library,
 * creates the VM on a thread of its own (as the launcher and `java` do),
 * calls main with no arguments and destroys the VM; nothing else.
 *
 *     vm_floor LIBJVM CLASS_PATH MAIN_CLASS
 */
#include <dlfcn.h>
#include <jni.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef jint (*CreateVm)(JavaVM**, void**, void*);

struct Run {
  const char* library;
  const char* classPath;
  const char* mainClass;
  int status;
};

static void* runMain(void* data) {
  struct Run* run = data;
  void* library = dlopen(run->library, RTLD_NOW);
  CreateVm create = library ? (CreateVm)dlsym(library, "JNI_CreateJavaVM") : NULL;
  if (!create) {
    fprintf(stderr, "vm_floor: %s\n", dlerror());
    return NULL;
  }
  char option[4096];
  snprintf(option, sizeof option, "-Djava.class.path=%s", run->classPath);
  JavaVMOption options[] = {{option, NULL}};
  JavaVMInitArgs arguments = {JNI_VERSION_1_8, 1, options, JNI_FALSE};
  JavaVM* vm = NULL;
  JNIEnv* env = NULL;
  if (create(&vm, (void**)&env, &arguments) != JNI_OK) return NULL;
  jclass main = (*env)->FindClass(env, run->mainClass);
  jmethodID method = main ? (*env)->GetStaticMethodID(env, main, "main", "([Ljava/lang/String;)V") : NULL;
  jclass string = (*env)->FindClass(env, "java/lang/String");
  if (method && string) {
    jobjectArray none = (*env)->NewObjectArray(env, 0, string, NULL);
    (*env)->CallStaticVoidMethod(env, main, method, none);
  }
  run->status = (*env)->ExceptionCheck(env) || !method ? 1 : 0;
  (*env)->ExceptionClear(env);
  (*vm)->DestroyJavaVM(vm);
  return NULL;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: vm_floor LIBJVM CLASS_PATH MAIN_CLASS\n");
    return 2;
  }
  struct Run run = {argv[1], argv[2], argv[3], 1};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 8u << 20);
  pthread_t thread;
  if (pthread_create(&thread, &attributes, runMain, &run) != 0) return 1;
  pthread_join(thread, NULL);
  return run.status;
}
