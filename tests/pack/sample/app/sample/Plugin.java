package sample;

public class Plugin {
    public static String name() { return "loaded from plugins/"; }
}
