package sample;

public class Extra {
    public static String name() { return "a jar outside the input"; }
}
