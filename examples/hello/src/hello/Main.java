package hello;

/** The sample app: greets and shows what reached it from the launcher. */
public class Main {
    public static void main(String[] args) {
        System.out.println(System.getProperty("hello.greeting", "Hi") + " from Java "
                + System.getProperty("java.version") + ", started by the launcher.");
        System.out.println("App folder " + System.getProperty("hello.home", "unknown")
                + ", max heap " + Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MiB");
        System.out.println(args.length + " argument(s):");
        for (String arg : args) {
            StringBuilder codePoints = new StringBuilder();
            arg.codePoints().forEach(c -> codePoints.append(String.format(" U+%04X", c)));
            System.out.println("  \"" + arg + "\" =" + codePoints);
        }
    }
}
