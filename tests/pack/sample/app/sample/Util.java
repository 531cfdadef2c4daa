package sample;

public class Util {
    public static String name() { return "lib/util.jar"; }
}
