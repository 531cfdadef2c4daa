package sample;

/** The second launcher's main class. */
public class Tool {
    public static void main(String[] args) {
        System.out.println("tool " + System.getProperty("sample.tool") + ": " + String.join(" ", args));
    }
}
