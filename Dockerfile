# damdfe-servidor numa imagem Debian 12: o pacote é gerado do código-fonte na primeira etapa e
# instalado com o apt na segunda.
#   docker build -t damdfe-servidor .
#   docker run --rm -p 8080:8080 damdfe-servidor

FROM debian:12 AS pacote
WORKDIR /src
COPY . .
RUN ./scripts/criar-pacote.sh

FROM debian:12
COPY --from=pacote /src/damdfe_*.deb /tmp/
RUN apt-get update \
 && apt-get install -y --no-install-recommends /tmp/damdfe_*.deb \
 && rm -rf /var/lib/apt/lists/* /tmp/damdfe_*.deb \
 && useradd --system --no-create-home damdfe \
 && install -d -m 0700 -o damdfe /run/damdfe
USER damdfe
# Qt quer uma pasta de execução privada do usuário.
ENV XDG_RUNTIME_DIR=/run/damdfe
EXPOSE 8080
ENTRYPOINT ["damdfe-servidor", "--endereco", "0.0.0.0", "--porta", "8080"]
