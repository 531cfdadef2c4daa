package sample;

import java.io.File;
import java.lang.reflect.Field;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.Files;
import java.nio.file.Path;
import java.security.cert.X509Certificate;
import javax.net.ssl.SSLContext;
import javax.net.ssl.SSLSocket;
import javax.net.ssl.TrustManager;
import javax.net.ssl.X509TrustManager;

/** An app laid out as real ones are: a resource folder beside its jar, jars its manifest
 * names (one in a folder outside the app, one modular), a plugin it loads itself, native
 * libraries of its own. Each line says what it found. */
public class Main {
    static native int answer();

    public static void main(String[] args) throws Exception {
        int tls = java.util.Arrays.asList(args).indexOf("tls");
        if (tls >= 0 && tls + 1 < args.length) {
            tls(Integer.parseInt(args[tls + 1]));
            return;
        }
        Path home = Path.of(Main.class.getProtectionDomain().getCodeSource().getLocation().toURI())
                .getParent();
        System.out.println("resource: " + Files.readString(home.resolve("data/greeting.txt")).trim());
        Field value = String.class.getDeclaredField("value");
        value.setAccessible(true);
        System.out.println("opened: java.lang");
        System.out.println("util: " + Util.name());
        System.out.println("extra: " + Extra.name());
        System.out.println("module: " + sample.mod.Mod.hello());
        System.loadLibrary("sample");
        System.out.println("native: " + answer());
        System.loadLibrary("host");
        System.out.println("host native: " + Host.answer());
        try {
            Class.forName("sample.Plugin");
            System.out.println("plugin: on the class path");
        } catch (ClassNotFoundException expected) {
            URL jar = home.resolve("plugins/plugin.jar").toUri().toURL();
            try (URLClassLoader loader = new URLClassLoader(new URL[] {jar}, Main.class.getClassLoader())) {
                System.out.println("plugin: " + loader.loadClass("sample.Plugin").getMethod("name").invoke(null));
            }
        }
        System.out.println("executable: " + new File(home.toFile(), "bin/run.sh").canExecute());
        System.out.println("args: " + String.join(" ", args));
    }

    /** A TLS handshake with a loopback server whose certificate has a P-256 key. */
    static void tls(int port) throws Exception {
        TrustManager trustAll = new X509TrustManager() {
            public void checkClientTrusted(X509Certificate[] chain, String type) {}
            public void checkServerTrusted(X509Certificate[] chain, String type) {}
            public X509Certificate[] getAcceptedIssuers() { return new X509Certificate[0]; }
        };
        SSLContext context = SSLContext.getInstance("TLS");
        context.init(null, new TrustManager[] {trustAll}, null);
        try (SSLSocket socket = (SSLSocket) context.getSocketFactory().createSocket("127.0.0.1", port)) {
            socket.startHandshake();
            System.out.println("tls: " + socket.getSession().getCipherSuite());
        }
    }
}
