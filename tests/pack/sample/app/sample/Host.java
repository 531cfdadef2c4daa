package sample;

public class Host {
    static native int answer();
}
